// Numbers and masked text typed or pasted into the data controls: the
// decimal key under a locale whose separator is the comma, and text that an
// edit mask would take apart going through the field's conversion instead.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>

#include "ControlsFixture.h"
#include "controls/DBDate.h"
#include "controls/DBGNorm.h"
#include "data/Money.h"

using namespace ui;
using data::DataSetState;
using data::FieldType;

namespace {

// The Romanian locale for one test, taken into the program's number format
// as start-up does from the system's locale; both are put back afterwards.
class RomanianLocale {
public:
    RomanianLocale() {
        QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
        const QLocale loc;
        data::formatSettings().decimalSeparator = loc.decimalPoint().at(0).toLatin1();
        data::formatSettings().thousandSeparator = loc.groupSeparator().at(0).toLatin1();
    }
    ~RomanianLocale() {
        QLocale::setDefault(saved_);
        data::formatSettings() = savedFormat_;
    }

private:
    QLocale saved_;
    data::FormatSettings savedFormat_ = data::formatSettings();
};

class NumberEntry : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        makeTable({{"Suma", FieldType::Float}, {"An", FieldType::SmallInt}, {"Data", FieldType::Date}},
                  {{1, 1.5, 2007, data::Date{2007, 3, 5}}, {2, 2.0, 2008, data::Date{2008, 1, 2}}});
        openTable();
        table->fieldByName("Data").editMask = "!99/99/0000;1;_";
    }
    // An edit for each field, in tab order, bound to the table.
    template <class Edit = TDBEditNormal>
    Edit* addEdit(const char* field) {
        auto* e = new Edit(form.get());
        e->setGeometry(10, 10 + 30 * static_cast<int>(edits.size()), 200, 24);
        e->setDataSource(&src);
        e->setDataField(field);
        edits.push_back(e);
        return e;
    }
    void enter(QWidget* w) {
        w->setFocus();
        pump();
    }
    static void paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        key(Qt::Key_V, Qt::ControlModifier);
    }
    std::vector<QWidget*> edits;
};

}  // namespace

TEST_F(NumberEntry, AmountFieldsTakeBothSeparatorsAndTheKeypadKeyTypesTheLocaleOne) {
    RomanianLocale ro;
    table->fieldByName("Suma").amount = true;
    table->fieldByName("Suma").displayFormat = data::kAmountFormat;
    auto* amount = addEdit("Suma");
    auto* year = addEdit("An");
    showForm();
    enter(amount);
    const int beeps = beepCount();
    type("12.5");  // the point of the main keyboard stays a point
    EXPECT_EQ(amount->text(), "12.5");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Suma").asFloat(), 12.5);
    EXPECT_EQ(amount->text(), "12,50");  // shown as it was taken

    enter(amount);
    amount->selectAll();
    type("3");
    key(Qt::Key_Period, Qt::KeypadModifier);
    type("75");
    EXPECT_EQ(amount->text(), "3,75");
    amount->selectAll();
    type("4");
    key(Qt::Key_Comma, Qt::KeypadModifier);  // keypads that give a comma
    type("25");
    EXPECT_EQ(amount->text(), "4,25");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Suma").asFloat(), 4.25);
    EXPECT_EQ(beepCount(), beeps);
    EXPECT_EQ(messageCount(), 0u);

    // A whole-number field still refuses the point.
    EXPECT_EQ(focused(), year);
    year->selectAll();
    type("1.");
    EXPECT_EQ(beepCount(), beeps + 1);
    EXPECT_EQ(year->text(), "1");

    // a stray letter in an amount is kept for the parser to name, never dropped
    enter(amount);
    type("x");
    EXPECT_TRUE(amount->text().endsWith("x"));
    EXPECT_EQ(beepCount(), beeps + 1);
}

TEST_F(NumberEntry, TheDecimalKeyTypesTheLocaleSeparatorInGridCells) {
    RomanianLocale ro;
    auto* grid = new TDBGridNormal(form.get());
    grid->setGeometry(10, 10, 400, 200);
    grid->setDataSource(&src);
    grid->setColumns({TColumn("Suma"), TColumn("An")});
    showForm();
    enter(grid);
    ASSERT_EQ(focused(), grid->inplaceEditor());
    grid->inplaceEditor()->selectAll();
    type("7.2");
    key(Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(grid->inplaceEditor()->text(), "7,25");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Suma").asFloat(), 7.25);
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(NumberEntry, TextAMaskWouldTakeApartIsConvertedByTheFieldWhenPasted) {
    table->fieldByName("An").editMask = "0000;1;_";
    auto* year = addEdit("An");
    auto* date = addEdit<TDBDateEdit>("Data");
    showForm();
    enter(year);
    year->selectAll();
    paste("20x6");
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'20x6' nu este un numar intreg valid");
    EXPECT_EQ(year->text(), "2007");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(focused(), year);

    // Text the field converts goes in as the field's edit text.
    paste(" 2006\n");
    EXPECT_EQ(year->text(), "2006");
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), date);
    EXPECT_EQ(table->fieldByName("An").asInteger(), 2006);

    date->selectAll();
    paste("1x.04.2007");
    ASSERT_EQ(messageCount(), 2u);
    EXPECT_EQ(Messages::lastText(), "'1x.04.2007' nu este o data corecta");
    EXPECT_EQ(date->text(), "05.03.2007");
    // A date the mask takes whole is pasted as it is.
    paste("09.04.2007");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Data").asDate(), (data::Date{2007, 4, 9}));
    EXPECT_EQ(messageCount(), 2u);
}

TEST_F(NumberEntry, TheContextMenuPasteGoesThroughTheFieldToo) {
    table->fieldByName("An").editMask = "0000;1;_";
    auto* year = addEdit("An");
    showForm();
    enter(year);
    type("2");  // puts the record into edit: the edit is writable
    year->selectAll();
    QApplication::clipboard()->setText("20x6");
    QContextMenuEvent ev(QContextMenuEvent::Keyboard, QPoint(5, 5), year->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(year, &ev);
    pump();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* pasteAction = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith("&Paste")) pasteAction = a;
    ASSERT_NE(pasteAction, nullptr);
    pasteAction->trigger();
    menu->close();
    pump();
    EXPECT_EQ(year->text(), "2");
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'20x6' nu este un numar intreg valid");
}

TEST_F(NumberEntry, GridCellsUnderAMaskConvertPastedTextThroughTheField) {
    auto* grid = new TDBGridNormal(form.get());
    grid->setGeometry(10, 10, 400, 200);
    grid->setDataSource(&src);
    grid->setColumns({TColumn("Data"), TColumn("Suma")});
    showForm();
    enter(grid);
    QLineEdit* editor = grid->inplaceEditor();
    ASSERT_EQ(focused(), editor);
    editor->selectAll();
    paste("3o.03.2007");
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'3o.03.2007' nu este o data corecta");
    EXPECT_EQ(editor->text(), "05.03.2007");
    paste("30.3.2007");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Data").asDate(), (data::Date{2007, 3, 30}));
    EXPECT_EQ(grid->selectedIndex(), 1);
}

TEST_F(NumberEntry, UnmaskedNumberFieldsReportPastedTextTheyCannotConvert) {
    auto* year = addEdit("An");
    auto* grid = new TDBGridNormal(form.get());
    grid->setGeometry(220, 10, 400, 200);
    grid->setDataSource(&src);
    grid->setColumns({TColumn("An")});
    showForm();
    enter(year);
    year->selectAll();
    paste("20x6");
    EXPECT_EQ(year->text(), "20x6");
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), year);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'20x6' nu este un numar intreg valid");
    EXPECT_EQ(table->fieldByName("An").asInteger(), 2007);
    key(Qt::Key_U, Qt::ControlModifier);

    enter(grid);
    grid->inplaceEditor()->selectAll();
    paste("19x9");
    key(Qt::Key_Return);
    ASSERT_EQ(messageCount(), 2u);
    EXPECT_EQ(Messages::lastText(), "'19x9' nu este un numar intreg valid");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(table->fieldByName("An").asInteger(), 2007);
    EXPECT_EQ(table->recNo(), 1);
}
