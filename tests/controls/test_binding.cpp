// Every data control binds through the one DataBound interface: field
// controls show their field, record controls follow the data set, a date
// edit refuses a non-date field through the interface too, and a control
// destroyed while bound no longer hears its data source.
#include "ControlsFixture.h"
#include "controls/DBDate.h"
#include "controls/DBGNorm.h"
#include "controls/DBPos.h"
#include "controls/DataBound.h"

using namespace ui;
using data::FieldType;

namespace {

class BindingTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        makeTable({{"Nume", FieldType::String, 30}, {"Data", FieldType::Date}, {"Activ", FieldType::Boolean}},
                  {{1, "Ana", data::Date{2007, 3, 1}, true}, {2, "Bogdan", data::Date{2007, 3, 2}, false}});
        openTable();
    }
};

}  // namespace

TEST_F(BindingTest, EveryDataControlBindsThroughTheInterface) {
    struct Case {
        QWidget* widget;
        const char* field;  // nullptr: a record control
    };
    auto* lookup = new TDBLookupComboBoxNormal(form.get());
    lookup->setListSource(&src);
    lookup->setKeyField("Nume");
    lookup->setListField("Nume");
    const std::vector<Case> cases{
        {new TDBEditNormal(form.get()), "Nume"},
        {new TDBDateEdit(form.get()), "Data"},
        {new TDBComboNormal(form.get()), "Nume"},
        {new TDBCheckBoxNormal(form.get()), "Activ"},
        {lookup, "Nume"},
        {new TDBPos(form.get()), nullptr},
        {new TDBGridNormal(form.get()), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.widget->metaObject()->className());
        auto* b = dynamic_cast<DataBound*>(c.widget);
        ASSERT_NE(b, nullptr);
        b->setDataSource(&src);
        if (c.field) b->setDataField(QString::fromLatin1(c.field));
        EXPECT_EQ(b->dataSource(), &src);
        EXPECT_EQ(b->showsField(), c.field != nullptr);
        EXPECT_EQ(b->dataField(), c.field ? QString::fromLatin1(c.field) : QString());
    }
    // Windows find their controls by class (the edit and the date edit are edits).
    EXPECT_EQ(form->findChildren<DBEdit*>().size(), 2);
    EXPECT_EQ(form->findChildren<DBComboBox*>().size(), 1);
    EXPECT_NE(qobject_cast<TNormalDBGrid*>(cases[6].widget), nullptr);
    showForm();
    table->setRecNo(2);
    pump();
    EXPECT_EQ(static_cast<TDBEditNormal*>(cases[0].widget)->text(), "Bogdan");
    EXPECT_EQ(static_cast<TDBDateEdit*>(cases[1].widget)->text(), "02.03.2007");
    EXPECT_EQ(static_cast<TDBComboNormal*>(cases[2].widget)->currentText(), "Bogdan");
    EXPECT_FALSE(static_cast<TDBCheckBoxNormal*>(cases[3].widget)->isChecked());
    EXPECT_EQ(lookup->currentText(), "Bogdan");
    EXPECT_EQ(static_cast<TDBPos*>(cases[5].widget)->text(), "2/2");
    EXPECT_EQ(static_cast<TDBGridNormal*>(cases[6].widget)->currentRow(), 1);

    // Unbinding through the interface: the controls let go of the data set.
    for (const Case& c : cases) dynamic_cast<DataBound*>(c.widget)->setDataSource(nullptr);
    EXPECT_EQ(static_cast<TDBEditNormal*>(cases[0].widget)->text(), "");
    EXPECT_EQ(static_cast<TDBPos*>(cases[5].widget)->text(), "0/0");
    EXPECT_EQ(static_cast<TDBGridNormal*>(cases[6].widget)->currentRow(), -1);
}

TEST_F(BindingTest, ADateEditBoundThroughTheInterfaceRefusesANonDateField) {
    TDBDateEdit date(form.get());
    DataBound* b = &date;
    b->setDataField("Nume");
    b->setDataSource(&src);
    EXPECT_EQ(b->dataSource(), nullptr);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "\"Nume\" nu este un camp de tip data!");
    b->setDataField("Data");
    b->setDataSource(&src);
    EXPECT_EQ(b->dataSource(), &src);
    EXPECT_EQ(messageCount(), 1u);
}

TEST_F(BindingTest, ControlsDestroyedWhileBoundNoLongerFollowTheDataSet) {
    {
        TDBEditNormal edit(form.get());
        TDBGridNormal grid(form.get());
        TDBPos pos(form.get());
        for (DataBound* b : std::initializer_list<DataBound*>{&edit, &grid, &pos}) b->setDataSource(&src);
        edit.setDataField("Nume");
        showForm();
        edit.setFocus();
        pump();
        QTest::keyClicks(&edit, "X");
        ASSERT_EQ(table->state(), data::DataSetState::Edit);
    }
    // Posting asks every bound control for its pending text: none is left.
    table->post();
    table->next();
    table->refresh();
    EXPECT_EQ(table->recNo(), 2);
}
