// Numbers typed into the data controls: the decimal key under a locale
// whose separator is the comma.
#include <QLocale>

#include "ControlsFixture.h"
#include "controls/DBDate.h"
#include "controls/DBGNorm.h"

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
    std::vector<QWidget*> edits;
};

}  // namespace

TEST_F(NumberEntry, TheDecimalKeyTypesTheLocaleSeparatorInAmountFields) {
    RomanianLocale ro;
    auto* amount = addEdit("Suma");
    auto* year = addEdit("An");
    showForm();
    enter(amount);
    const int beeps = beepCount();
    type("12.5");  // the point of the main keyboard
    EXPECT_EQ(amount->text(), "12,5");
    key(Qt::Key_Return);
    EXPECT_EQ(table->fieldByName("Suma").asFloat(), 12.5);

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
