// The keyboard-driven edit, combo box, check box and lookup combo box over a
// real table: focus moves, record moves that post first, insert, cancel,
// delete, refresh, and writing typed text into the fields.
#include <QAbstractItemView>

#include "ControlsFixture.h"
#include "controls/DBGNorm.h"
#include "data/Errors.h"

using namespace ui;
using data::DataSetState;
using data::FieldType;

namespace {

class KeyboardControls : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        makeTable({{"Nume", FieldType::String, 30}, {"Suma", FieldType::Float}, {"Cod", FieldType::Integer}},
                  {{1, "Ana", 10.5, 7}, {2, "Bogdan", 20.0, 8}, {3, "Cezar", 30.0, 9}});
        openTable();
        a = new TDBEditNormal(form.get());
        b = new TDBEditNormal(form.get());
        c = new TDBEditNormal(form.get());
        int y = 10;
        for (auto* e : {a, b, c}) {
            e->setGeometry(10, y, 200, 24);
            e->setDataSource(&src);
            y += 30;
        }
        a->setDataField("Nume");
        b->setDataField("Suma");
        c->setDataField("Cod");
        showForm();
        a->setFocus();
        pump();
    }
    TDBEditNormal *a = nullptr, *b = nullptr, *c = nullptr;
};

}  // namespace

TEST_F(KeyboardControls, EnterAndDownMoveOnUpMovesBackAndTheTabOrderWraps) {
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), b);
    key(Qt::Key_Up);
    EXPECT_EQ(focused(), a);
    key(Qt::Key_Down);
    EXPECT_EQ(focused(), b);
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), c);
    key(Qt::Key_Return);  // past the last tab stop: back to the first
    EXPECT_EQ(focused(), a);
    key(Qt::Key_Up);
    EXPECT_EQ(focused(), c);
}

TEST_F(KeyboardControls, EnterWithAModifierDoesNotMoveAndUpWithAModifierDoesNothing) {
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(focused(), a);
    b->setFocus();
    pump();
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(focused(), b);
}

TEST_F(KeyboardControls, TypingPutsTheRecordIntoEditAndLeavingWritesTheField) {
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_TRUE(a->isReadOnly());
    type("X");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(a->text(), "X");
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), b);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "X");
    key(Qt::Key_PageDown);  // posts, then moves
    EXPECT_EQ(table->recNo(), 2);
    table->first();
    EXPECT_EQ(table->fieldByName("Nume").asString(), "X");
}

TEST_F(KeyboardControls, PageDownPostsPendingTextBeforeMovingAndPageUpGoesBack) {
    type("Z");
    key(Qt::Key_PageDown);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recNo(), 2);
    EXPECT_EQ(a->text(), "Bogdan");
    key(Qt::Key_PageUp);
    EXPECT_EQ(table->recNo(), 1);
    EXPECT_EQ(a->text(), "Z");
}

TEST_F(KeyboardControls, ARefusedPostStopsTheMoveAndKeepsTheRecordInEdit) {
    table->beforePost = [](data::DataSet& ds) {
        if (ds.fieldByName("Nume").asString() == "Bad") {
            Messages::warning("Nume invalid!");
            data::abortSilently();
        }
    };
    type("Bad");
    key(Qt::Key_PageDown);
    EXPECT_EQ(table->recNo(), 1);
    EXPECT_EQ(table->state(), DataSetState::Edit);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "Nume invalid!");
    EXPECT_EQ(focused(), a);
}

TEST_F(KeyboardControls, CtrlDeleteOnANewRecordCancelsItInsteadOfDeletingThePreviousOne) {
    table->setRecNo(2);
    key(Qt::Key_Insert);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    type("Nou");
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Bogdan");
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(KeyboardControls, CtrlDeleteInBrowseDeletesTheCurrentRecordWithoutAsking) {
    table->setRecNo(2);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Cezar");
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(KeyboardControls, CtrlUCancelsAndCtrlRRereadsTheTable) {
    type("Q");
    key(Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(a->text(), "Ana");
    data::insertRows(dir.file("T.DB"), {"Id", "Nume"}, {{4, "Dan"}});
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(table->recordCount(), 4);
    EXPECT_EQ(a->text(), "Ana");  // the letters were not typed
    key(Qt::Key_R, Qt::ShiftModifier);
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_TRUE(a->text().contains('R', Qt::CaseInsensitive));
}

TEST_F(KeyboardControls, NumberFieldsRefuseLettersAndABadNumberKeepsTheFocus) {
    b->setFocus();
    pump();
    int beeps = beepCount();
    type("x");
    EXPECT_EQ(beepCount(), beeps + 1);
    EXPECT_EQ(table->state(), DataSetState::Browse);  // the refused letter did not start editing
    b->selectAll();
    type("1e");
    key(Qt::Key_Return);
    pump();
    EXPECT_EQ(focused(), b);
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'1e' nu este un numar valid");
    EXPECT_EQ(b->selectedText(), b->text());
}

TEST_F(KeyboardControls, TheFieldShowsItsDisplayFormatUntilEnteredAndItsEditFormatThen) {
    table->fieldByName("Suma").displayFormat = "#,##0.00";
    table->fieldByName("Suma").editFormat = "0.00";
    table->setRecNo(2);
    table->first();
    EXPECT_EQ(b->text(), "10.50");
    table->fieldByName("Suma").displayFormat = "0.00 lei";
    table->refresh();
    EXPECT_EQ(b->text(), "10.50 lei");
    b->setFocus();
    pump();
    EXPECT_EQ(b->text(), "10.50");
}

TEST_F(KeyboardControls, ComboMovesOnWithEnterAndWritesAChosenItem) {
    auto* combo = new TDBComboNormal(form.get());
    combo->setGeometry(10, 120, 200, 24);
    combo->setItems({"Casa", "Banca"});
    combo->setDataSource(&src);
    combo->setDataField("Nume");
    combo->show();
    combo->setFocus();
    pump();
    EXPECT_EQ(combo->currentText(), "Ana");
    key(Qt::Key_Up);  // Up and Down leave the combo box and change nothing
    EXPECT_EQ(focused(), c);
    combo->setFocus();
    key(Qt::Key_Down);
    EXPECT_EQ(focused(), a);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    combo->setFocus();
    key(Qt::Key_F4);  // the list opens, and a choice in it changes the value
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_EQ(table->state(), DataSetState::Edit);
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), a);  // the combo is last in the tab order: wraps
    EXPECT_EQ(table->fieldByName("Nume").asString(), combo->currentText().toStdString());
    EXPECT_TRUE(combo->currentText() == "Casa" || combo->currentText() == "Banca");
}

TEST_F(KeyboardControls, ComboCtrlUCancelsTypedText) {
    auto* combo = new TDBComboNormal(form.get());
    combo->setGeometry(10, 120, 200, 24);
    combo->setDataSource(&src);
    combo->setDataField("Nume");
    combo->show();
    combo->setFocus();
    pump();
    type("zz");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    key(Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(combo->currentText(), "Ana");
}

TEST_F(KeyboardControls, CheckBoxTogglesTheFieldAndEnterMovesOn) {
    table->close();
    table.reset();
    makeTable({{"Activ", FieldType::Boolean}}, {{1, true}, {2, false}}, "B.DB");
    openTable("B.DB");
    auto* box = new TDBCheckBoxNormal(form.get());
    box->setGeometry(10, 120, 200, 24);
    box->setDataSource(&src);
    box->setDataField("Activ");
    box->show();
    box->setFocus();
    pump();
    EXPECT_TRUE(box->isChecked());
    key(Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_FALSE(table->fieldByName("Activ").asBoolean());
    key(Qt::Key_Return);
    EXPECT_NE(focused(), box);
    key(Qt::Key_PageDown);
    table->first();
    EXPECT_FALSE(table->fieldByName("Activ").asBoolean());
}

TEST_F(KeyboardControls, LookupShowsTheListFieldAndStoresTheKey) {
    makeTable({{"Denumire", FieldType::String, 30}}, {{7, "Sapte"}, {8, "Opt"}, {9, "Noua"}}, "L.DB");
    data::Table list;
    list.setDatabaseName(dir.path());
    list.setTableName("L.DB");
    list.open();
    data::DataSource listSrc(&list);
    auto* look = new TDBLookupComboBoxNormal(form.get());
    look->setGeometry(10, 120, 200, 24);
    look->setListSource(&listSrc);
    look->setKeyField("Id");
    look->setListField("Denumire");
    look->setDataSource(&src);
    look->setDataField("Cod");
    look->show();
    look->setFocus();
    pump();
    EXPECT_EQ(look->currentText(), "Sapte");
    for (Qt::Key k : {Qt::Key_End, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp}) QTest::keyClick(look, k);
    pump();
    EXPECT_EQ(look->currentText(), "Sapte");
    EXPECT_EQ(table->state(), DataSetState::Browse);
    look->setFocus();
    type("O");  // a letter chooses
    EXPECT_EQ(look->currentText(), "Opt");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(table->fieldByName("Cod").asInteger(), 8);
    key(Qt::Key_Return);
    EXPECT_NE(focused(), look);
    key(Qt::Key_Insert);
    EXPECT_EQ(table->state(), DataSetState::Insert);
    EXPECT_EQ(look->currentIndex(), -1);
    delete look;
}
