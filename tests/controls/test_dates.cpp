// Date edits, the calendar dialog and PickDate: impossible dates, the
// non-date field refusal, the drop-down on an empty field, month navigation.
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "ControlsFixture.h"
#include "controls/DBDate.h"
#include "controls/DBGNorm.h"
#include "controls/DateEdit.h"
#include "controls/PickDate.h"

using namespace ui;
using data::DataSetState;
using data::Date;
using data::FieldType;

namespace {

// Runs `fn` on the calendar dialog as soon as it is shown modally.
void onCalendar(std::function<void(TBrDateForm*)> fn) {
    QTimer::singleShot(0, [fn] {
        auto* dlg = qobject_cast<TBrDateForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        fn(dlg);
    });
}

}  // namespace

TEST(Calendar, MonthNavigationKeepsTheDayAsFarAsTheMonthAllows) {
    TBrDateForm dlg;
    EXPECT_EQ(dlg.windowTitle(), "Selecteaza data");
    dlg.setDate(Date{2007, 1, 31});
    dlg.NextMonthBtnClick();
    EXPECT_EQ(dlg.date(), (Date{2007, 2, 28}));
    dlg.PrevMonthBtnClick();
    EXPECT_EQ(dlg.date(), (Date{2007, 1, 28}));
    dlg.setDate(Date{2008, 1, 31});
    QWidget* view = dlg.Calendar1->focusProxy() ? dlg.Calendar1->focusProxy() : dlg.Calendar1;
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(dlg.date(), (Date{2008, 2, 29}));
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(dlg.date(), (Date{2008, 1, 29}));
    EXPECT_TRUE(dlg.TitleLabel->text().endsWith(", 2008"));
    EXPECT_EQ(dlg.Calendar1->firstDayOfWeek(), Qt::Monday);
}

TEST(Calendar, PickDateReturnsTheChosenDayOnlyWhenConfirmed) {
    Date d{2007, 6, 15};
    onCalendar([](TBrDateForm* dlg) {
        EXPECT_EQ(dlg->date(), (Date{2007, 6, 15}));
        dlg->NextMonthBtnClick();
        dlg->reject();
    });
    EXPECT_FALSE(PickDate(nullptr, d));
    EXPECT_EQ(d, (Date{2007, 6, 15}));

    onCalendar([](TBrDateForm* dlg) {
        dlg->NextMonthBtnClick();
        emit dlg->Calendar1->activated(dlg->Calendar1->selectedDate());  // a double-click on the day
    });
    EXPECT_TRUE(PickDate(nullptr, d));
    EXPECT_EQ(d, (Date{2007, 7, 15}));
}

class DateEditTest : public ControlsTest {};

TEST_F(DateEditTest, AnImpossibleDateBeepsAndReturnsToTheLastValidOneKeepingTheFocus) {
    auto* de = new TDateEdit(form.get());
    auto* next = new QLineEdit(form.get());
    de->setGeometry(10, 10, 120, 24);
    next->setGeometry(10, 40, 120, 24);
    showForm();
    EXPECT_EQ(de->text(), "05.03.2007");  // today, four-digit year, system separator
    de->setFocus();
    pump();
    de->selectAll();
    type("31022007");
    EXPECT_EQ(de->text(), "31.02.2007");
    int beeps = beepCount();
    next->setFocus();
    pump();
    EXPECT_EQ(beepCount(), beeps + 1);
    EXPECT_EQ(de->text(), "05.03.2007");
    EXPECT_EQ(focused(), de);
    EXPECT_EQ(de->value(), (Date{2007, 3, 5}));
    EXPECT_EQ(messageCount(), 0u);

    de->selectAll();
    type("01122006");
    EXPECT_EQ(de->value(), (Date{2006, 12, 1}));
}

TEST_F(DateEditTest, CtrlEnterOpensTheCalendarOnTheValue) {
    auto* de = new TDateEdit(form.get());
    de->setGeometry(10, 10, 120, 24);
    showForm();
    de->setValue(Date{2007, 1, 31});
    de->setFocus();
    pump();
    onCalendar([](TBrDateForm* dlg) {
        EXPECT_EQ(dlg->date(), (Date{2007, 1, 31}));
        dlg->NextMonthBtnClick();
        dlg->accept();
    });
    key(Qt::Key_Return, Qt::ControlModifier);
    reactivate();
    EXPECT_EQ(de->value(), (Date{2007, 2, 28}));
    EXPECT_EQ(de->text(), "28.02.2007");
}

class DBDateEditTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        makeTable({{"Nume", FieldType::String, 20}, {"Data", FieldType::Date}},
                  {{1, "Ana", Date{2007, 1, 31}}, {2, "Dan", data::Value()}});
        openTable();
        table->fieldByName("Data").editMask = "!99/99/0000;1;_";
        de = new TDBDateEdit(form.get());
        de->setGeometry(10, 10, 140, 24);
        de->setDataSource(&src);
        de->setDataField("Data");
        next = new TDBEditNormal(form.get());
        next->setGeometry(10, 40, 140, 24);
        next->setDataSource(&src);
        next->setDataField("Nume");
        showForm();
        de->setFocus();
        pump();
    }
    TDBDateEdit* de = nullptr;
    TDBEditNormal* next = nullptr;
};

TEST_F(DBDateEditTest, AnImpossibleDateIsReportedAndKeepsTheFocus) {
    EXPECT_EQ(de->text(), "31.01.2007");
    de->home(false);
    type("31022007");
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), de);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'31.02.2007' nu este o data corecta");
    EXPECT_EQ(de->selectedText(), de->text());
    EXPECT_EQ(table->fieldByName("Data").asDate(), (Date{2007, 1, 31}));
}

TEST_F(DBDateEditTest, ATypedDateReachesTheFieldOnLeaving) {
    de->home(false);
    type("15022007");
    key(Qt::Key_Down);
    EXPECT_EQ(focused(), next);
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(table->fieldByName("Data").asDate(), (Date{2007, 2, 15}));
    key(Qt::Key_Up);
    EXPECT_EQ(focused(), de);
}

TEST_F(DBDateEditTest, OnAnEmptyFieldTheCalendarOpensOnTodayAndCancellingChangesNothing) {
    key(Qt::Key_PageDown);
    ASSERT_EQ(table->recNo(), 2);
    ASSERT_TRUE(table->fieldByName("Data").isNull());
    onCalendar([](TBrDateForm* dlg) {
        EXPECT_EQ(dlg->date(), (Date{2007, 3, 5}));
        dlg->reject();
    });
    key(Qt::Key_Return, Qt::ControlModifier);
    reactivate();
    EXPECT_EQ(focused(), de);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_TRUE(table->fieldByName("Data").isNull());

    onCalendar([](TBrDateForm* dlg) {
        dlg->setDate(Date{2007, 3, 8});
        dlg->accept();
    });
    key(Qt::Key_Down, Qt::ControlModifier);
    reactivate();
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(de->text(), "08.03.2007");
    key(Qt::Key_PageUp);  // posts the date, then moves
    EXPECT_EQ(table->recNo(), 1);
    table->last();
    EXPECT_EQ(table->fieldByName("Data").asDate(), (Date{2007, 3, 8}));
}

TEST_F(DBDateEditTest, BindingToAFieldThatIsNotADateIsRefused) {
    auto* bad = new TDBDateEdit(form.get());
    bad->setDataSource(&src);
    int beeps = beepCount();
    bad->setDataField("Nume");
    EXPECT_EQ(beepCount(), beeps + 1);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::history().back().type, MsgType::Error);
    EXPECT_EQ(Messages::lastText(), "\"Nume\" nu este un camp de tip data!");
    EXPECT_EQ(bad->field(), nullptr);
    EXPECT_EQ(bad->dataField(), "");
}

TEST_F(DBDateEditTest, CtrlDeleteOnANewRecordCancelsIt) {
    key(Qt::Key_Insert);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    type("01012007");
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Ana");
}
