// The data grid over a real table, driven by keys: walking cells with Enter,
// appending at the end, untouched new rows, Esc, deletion with and without
// confirmation, row selection, pick lists and the caret on entering a cell.
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include "ControlsFixture.h"
#include "controls/DBGNorm.h"
#include "controls/DBNavigator.h"
#include "data/Query.h"

using namespace ui;
using data::DataSetState;
using data::FieldType;

namespace {

class GridTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        std::vector<std::vector<data::Value>> rows;
        for (int i = 1; i <= 8; ++i) rows.push_back({i, "Nume " + std::to_string(i), i * 1.5, data::Date{2007, 1, i}});
        makeTable({{"Nume", FieldType::String, 30}, {"Suma", FieldType::Float}, {"Data", FieldType::Date}}, rows);
        openTable();
        table->fieldByName("Data").editMask = "!99/99/0000;1;_";
        grid = new TDBGridNormal(form.get());
        grid->setGeometry(10, 10, 600, 300);
        grid->setOptions(grid->options() | dgAlwaysShowSelection);
        grid->setDataSource(&src);
        grid->setColumns({TColumn("Nume"), TColumn("Suma"), TColumn("Data")});
        other = new QLineEdit(form.get());
        other->setGeometry(10, 320, 200, 24);
        showForm();
        grid->setFocus();
        pump();
    }
    QLineEdit* editor() const { return grid->inplaceEditor(); }
    TDBGridNormal* grid = nullptr;
    QLineEdit* other = nullptr;
};

}  // namespace

TEST_F(GridTest, TheEditorShowsOnTheCurrentCellAndHoldsTheFocus) {
    ASSERT_NE(editor(), nullptr);
    EXPECT_TRUE(grid->editorMode());
    EXPECT_EQ(focused(), editor());
    EXPECT_EQ(editor()->text(), "Nume 1");
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->indicator(0), IndicatorKind::Arrow);
}

TEST_F(GridTest, EnterWalksTheCellsAndFromTheLastColumnToTheFirstOfTheNextRecord) {
    table->setRecNo(4);
    pump();
    key(Qt::Key_Return);
    EXPECT_EQ(grid->selectedIndex(), 1);
    key(Qt::Key_Return);
    EXPECT_EQ(grid->selectedIndex(), 2);
    key(Qt::Key_Return);
    EXPECT_EQ(table->recNo(), 5);
    EXPECT_EQ(grid->selectedIndex(), 0);
    EXPECT_EQ(editor()->text(), "Nume 5");
}

TEST_F(GridTest, EnterAtTheLastCellOfTheLastRecordAppendsAndAnUntouchedRowStaysPut) {
    table->last();
    grid->setSelectedIndex(2);
    pump();
    key(Qt::Key_Return);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    EXPECT_TRUE(table->insertingAtEnd());
    EXPECT_EQ(grid->model()->rowCount(), 9);
    EXPECT_EQ(grid->currentRow(), 8);
    EXPECT_EQ(grid->selectedIndex(), 0);
    EXPECT_EQ(grid->indicator(8), IndicatorKind::Insert);
    key(Qt::Key_Down);  // untouched new row at the end: nothing happens
    EXPECT_EQ(table->state(), DataSetState::Insert);
    EXPECT_EQ(grid->model()->rowCount(), 9);
    key(Qt::Key_Escape);  // drops it
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 8);
    EXPECT_EQ(grid->model()->rowCount(), 8);
    EXPECT_EQ(table->recNo(), 8);
}

TEST_F(GridTest, UpFromAnUntouchedAppendedRowDropsIt) {
    table->last();
    pump();
    key(Qt::Key_Down);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    key(Qt::Key_Up);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 8);
    EXPECT_EQ(table->recNo(), 8);
}

TEST_F(GridTest, TypedCellsArePostedWhenMovingToAnotherRecord) {
    table->last();
    pump();
    key(Qt::Key_Down);
    type("Nou");
    key(Qt::Key_Return);
    type("2.5");
    key(Qt::Key_Down);  // posts the new record, then appends another
    EXPECT_EQ(table->recordCount(), 9);
    key(Qt::Key_Escape);
    table->last();
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Nou");
    EXPECT_DOUBLE_EQ(table->fieldByName("Suma").asFloat(), 2.5);
}

TEST_F(GridTest, EscUndoesTheTypedTextFirstThenTheRecordsEdit) {
    type("abc");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(grid->indicator(0), IndicatorKind::Edit);
    key(Qt::Key_Escape);
    EXPECT_EQ(editor()->text(), "Nume 1");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    key(Qt::Key_Escape);
    EXPECT_EQ(table->state(), DataSetState::Browse);
}

TEST_F(GridTest, LeftAtTheFirstColumnGoesToTheLastColumnOfTheRecordAbove) {
    table->setRecNo(2);
    pump();
    ASSERT_EQ(grid->selectedIndex(), 0);
    key(Qt::Key_Left);  // the caret stands after the text: it moves first
    EXPECT_EQ(table->recNo(), 2);
    editor()->home(false);
    key(Qt::Key_Left);
    EXPECT_EQ(table->recNo(), 1);
    EXPECT_EQ(grid->selectedIndex(), 2);
    grid->setSelectedIndex(0);
    editor()->home(false);
    key(Qt::Key_Left);  // top visible row: nothing to go back to
    EXPECT_EQ(table->recNo(), 1);
    EXPECT_EQ(grid->selectedIndex(), 0);
}

TEST_F(GridTest, RightAtTheLastColumnGoesToTheFirstColumnOfTheNextRecord) {
    grid->setSelectedIndex(2);
    pump();
    editor()->end(false);
    key(Qt::Key_Right);
    EXPECT_EQ(table->recNo(), 2);
    EXPECT_EQ(grid->selectedIndex(), 0);
}

TEST_F(GridTest, CtrlDeleteAndTheNavigatorAskWithEnterAnsweringNo) {
    table->setRecNo(3);
    pump();
    TDBNavigator nav(form.get());
    nav.setDataSource(&src);
    answer = No;
    nav.BtnClick(NavBtn::Delete);
    key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(messageCount(), 2u);
    for (const MessageRecord& m : Messages::history())
        EXPECT_TRUE(m.text == "Stergeti inregistrarea?" && m.buttons == (Yes | No) && m.defaultButton == No);
    EXPECT_EQ(table->recordCount(), 8);
    answer = Yes;
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(table->recordCount(), 7);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Nume 4");
}

TEST_F(GridTest, WithoutConfirmationCtrlDeleteDeletesAtOnce) {
    grid->setOptions(grid->options() & ~dgConfirmDelete);
    table->setRecNo(3);
    pump();
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(messageCount(), 0u);
    EXPECT_EQ(table->recordCount(), 7);
}

TEST_F(GridTest, AReadOnlyGridNeitherEditsNorInsertsNorDeletes) {
    grid->setReadOnly(true);
    pump();
    EXPECT_FALSE(grid->editorMode());
    EXPECT_EQ(focused(), grid);
    key(Qt::Key_Insert);
    type("x");
    key(Qt::Key_Delete, Qt::ControlModifier);
    table->last();
    pump();
    key(Qt::Key_Down);
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 8);
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(GridTest, InsertAddsARecordBeforeTheCurrentOne) {
    table->setRecNo(3);
    pump();
    key(Qt::Key_Insert);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    EXPECT_EQ(grid->currentRow(), 2);
    EXPECT_EQ(grid->model()->rowCount(), 9);
    EXPECT_EQ(grid->model()->index(3, 0).data().toString(), "Nume 3");
    key(Qt::Key_Down);  // untouched and not at the end: dropped
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 8);
}

TEST_F(GridTest, RowSelectDropsEditingAndRemovingItRestoresIt) {
    grid->setOptions(grid->options() | dgRowSelect | dgEditing | dgAlwaysShowEditor);
    EXPECT_FALSE(grid->hasOption(dgEditing));
    EXPECT_FALSE(grid->hasOption(dgAlwaysShowEditor));
    pump();
    EXPECT_FALSE(grid->editorMode());
    type("x");
    EXPECT_EQ(table->state(), DataSetState::Browse);
    key(Qt::Key_Right);  // scrolls the columns, does not move the record
    EXPECT_EQ(table->recNo(), 1);

    grid->setOptions((grid->options() & ~dgRowSelect) | dgEditing | dgAlwaysShowEditor);
    pump();
    EXPECT_TRUE(grid->editorMode());
    type("y");
    EXPECT_EQ(table->state(), DataSetState::Edit);
}

TEST_F(GridTest, RowSelectLeftAndRightScrollTheColumns) {
    std::vector<TColumn> many;
    for (int i = 0; i < 6; ++i) {
        many.emplace_back("Nume");
        many.back().width = 200;
    }
    grid->setColumns(many);
    grid->setOptions(grid->options() | dgRowSelect);
    table->setRecNo(3);
    pump();
    QScrollBar* sb = grid->horizontalScrollBar();
    ASSERT_GT(sb->maximum(), 0);
    int before = sb->value();
    key(Qt::Key_Right);
    EXPECT_EQ(sb->value(), before + 1);
    key(Qt::Key_Left);
    EXPECT_EQ(sb->value(), before);
    EXPECT_EQ(table->recNo(), 3);
}

TEST_F(GridTest, EnteringACellPlacesTheCaretWithoutSelecting) {
    key(Qt::Key_Return);  // to "Suma": a text cell without mask
    EXPECT_EQ(grid->selectedIndex(), 1);
    EXPECT_FALSE(editor()->hasSelectedText());
    EXPECT_EQ(editor()->cursorPosition(), editor()->text().size());
    key(Qt::Key_Return);  // to "Data", masked: caret at the start
    EXPECT_EQ(grid->selectedIndex(), 2);
    EXPECT_EQ(editor()->text(), "01.01.2007");
    EXPECT_FALSE(editor()->hasSelectedText());
    EXPECT_EQ(editor()->cursorPosition(), 0);
}

TEST_F(GridTest, AnImpossibleDateInACellStopsTheMove) {
    grid->setSelectedIndex(2);
    pump();
    editor()->home(false);
    type("31022007");
    key(Qt::Key_Down);
    EXPECT_EQ(table->recNo(), 1);
    ASSERT_GE(messageCount(), 1u);
    EXPECT_EQ(Messages::lastText(), "'31.02.2007' nu este o data corecta");
    EXPECT_EQ(table->state(), DataSetState::Edit);
    type("28022007");  // typed over the refused date
    key(Qt::Key_Down);
    EXPECT_EQ(table->recNo(), 2);
}

TEST_F(GridTest, LeavingTheGridDropsAnUntouchedNewRecord) {
    table->last();
    pump();
    key(Qt::Key_Down);
    ASSERT_EQ(table->state(), DataSetState::Insert);
    other->setFocus();
    pump();
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->recordCount(), 8);
}

TEST_F(GridTest, LeavingTheGridWritesTheTypedTextWithoutPosting) {
    editor()->selectAll();
    type("Schimbat");
    other->setFocus();
    pump();
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Schimbat");
}

TEST_F(GridTest, PickListTypeAheadChoosesAndWritesTheItem) {
    std::vector<TColumn> cols{TColumn("Nume"), TColumn("Suma")};
    cols[0].pickList = {"Casatorit/a", "Necasatorit/a"};
    grid->setColumns(cols);
    pump();
    key(Qt::Key_Down, Qt::AltModifier);
    auto* editor = grid->inplaceEditor();
    ASSERT_TRUE(editor->listVisible());
    QListWidget* list = editor->pickListWidget();
    QTest::keyClick(list, Qt::Key_N);
    EXPECT_EQ(list->currentItem()->text(), "Necasatorit/a");
    QTest::keyClick(list, Qt::Key_Return);
    pump();
    EXPECT_FALSE(editor->listVisible());
    EXPECT_EQ(table->state(), DataSetState::Edit);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Necasatorit/a");
    EXPECT_EQ(editor->text(), "Necasatorit/a");
}

TEST_F(GridTest, PickListTypeAheadCollectsLettersAndEscClosesWithoutChange) {
    std::vector<TColumn> cols{TColumn("Nume")};
    cols[0].pickList = {"Alba", "Albastru", "Bun"};
    grid->setColumns(cols);
    pump();
    key(Qt::Key_Down, Qt::AltModifier);
    QListWidget* list = grid->inplaceEditor()->pickListWidget();
    QTest::keyClicks(list, "albas");
    EXPECT_EQ(list->currentItem()->text(), "Albastru");
    QTest::keyClick(list, Qt::Key_Backspace);  // clears the letters: a new search
    QTest::keyClick(list, Qt::Key_B);
    EXPECT_EQ(list->currentItem()->text(), "Bun");
    QTest::keyClick(list, Qt::Key_Escape);
    pump();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(table->state(), DataSetState::Browse);
    EXPECT_EQ(table->fieldByName("Nume").asString(), "Nume 1");
}

TEST_F(GridTest, DefaultColumnsFollowTheFieldsWithTheirLabels) {
    table->fieldByName("Suma").displayLabel = "Valoare";
    table->fieldByName("Id").visible = false;
    grid->setColumns({});
    ASSERT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->columnTitle(0), "Nume");
    EXPECT_EQ(grid->columnTitle(1), "Valoare");
    grid->setColumns({TColumn("Lipsa", "Fara camp"), TColumn("Nume")});
    EXPECT_EQ(grid->columnTitle(0), "Fara camp");
    EXPECT_EQ(grid->model()->index(0, 0).data().toString(), "");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "Nume 1");
}

TEST_F(GridTest, ClickingACellMakesItsRecordAndColumnCurrent) {
    QRect r = grid->visualRect(grid->model()->index(3, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    pump();
    EXPECT_EQ(table->recNo(), 4);
    EXPECT_EQ(grid->selectedIndex(), 1);
    int clicks = 0;
    QObject::connect(grid, &TNormalDBGrid::dblClick, [&] { ++clicks; });
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(clicks, 1);
}

TEST_F(GridTest, EnterInASingleColumnGridGoesToTheNextRecordNotTheFirst) {
    grid->setColumns({TColumn("Nume")});
    table->setRecNo(3);
    pump();
    key(Qt::Key_Return);
    EXPECT_EQ(table->recNo(), 4);
    EXPECT_EQ(grid->selectedIndex(), 0);
    editor()->home(false);
    key(Qt::Key_Left);  // to the record above, not to the last record
    EXPECT_EQ(table->recNo(), 3);
    // whole-row selection: the grid itself takes Enter
    grid->setOptions(grid->options() | dgRowSelect);
    pump();
    ASSERT_EQ(focused(), grid);
    key(Qt::Key_Return);
    EXPECT_EQ(table->recNo(), 4);
}

TEST_F(GridTest, TabAndShiftTabCrossRecordsAtTheEdges) {
    table->setRecNo(2);
    grid->setSelectedIndex(2);
    pump();
    key(Qt::Key_Tab);
    EXPECT_EQ(table->recNo(), 3);
    EXPECT_EQ(grid->selectedIndex(), 0);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(table->recNo(), 2);
    EXPECT_EQ(grid->selectedIndex(), 2);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectedIndex(), 1);
    EXPECT_TRUE(grid->isAncestorOf(focused()));
}

TEST_F(GridTest, WithoutTabsTheTabKeyLeavesTheGrid) {
    grid->setOptions(grid->options() & ~dgTabs);
    pump();
    key(Qt::Key_Tab);
    EXPECT_EQ(focused(), other);
    EXPECT_EQ(grid->selectedIndex(), 0);
}

TEST(PlainGrid, EnterAndF2ToggleTheEditorAndTypingOpensIt) {
    TempDir dir;
    data::createTableFile(dir.file("P.DB"),
                          {"P.DB", {{"Id", FieldType::Integer}, {"Nume", FieldType::String, 20}}, {"Id"}, {}});
    data::insertRows(dir.file("P.DB"), {"Id", "Nume"}, {{1, "Ana"}, {2, "Dan"}});
    data::Table t;
    t.setDatabaseName(dir.path());
    t.setTableName("P.DB");
    t.open();
    data::DataSource ds(&t);
    QWidget w;
    auto* grid = new TNormalDBGrid(&w);
    grid->setGeometry(0, 0, 300, 200);
    grid->setDataSource(&ds);
    grid->setSelectedIndex(1);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    grid->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(grid->editorMode());
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->editorMode());
    EXPECT_EQ(QApplication::focusWidget(), grid->inplaceEditor());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // hides it again
    EXPECT_FALSE(grid->editorMode());
    EXPECT_EQ(QApplication::focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Z);  // typing opens the editor with the letter
    ASSERT_TRUE(grid->editorMode());
    EXPECT_EQ(grid->inplaceEditor()->text(), "z");
    EXPECT_EQ(t.state(), DataSetState::Edit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(t.recNo(), 2);
    t.first();
    EXPECT_EQ(t.fieldByName("Nume").asString(), "z");
}

TEST_F(GridTest, AQueryIsShownButNeitherEditedNorAppendedTo) {
    data::Query q;
    q.setDatabaseName(dir.path());
    q.setSql("SELECT Nume, Suma FROM \"T.DB\" ORDER BY Id");
    q.open();
    data::DataSource qs(&q);
    grid->setColumns({});
    grid->setDataSource(&qs);
    pump();
    EXPECT_EQ(grid->model()->rowCount(), 8);
    EXPECT_EQ(grid->model()->index(7, 0).data().toString(), "Nume 8");
    grid->setFocus();
    pump();
    type("x");
    q.last();
    pump();
    key(Qt::Key_Down);
    key(Qt::Key_Insert);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(q.recordCount(), 8);
    EXPECT_EQ(messageCount(), 0u);
    grid->setDataSource(nullptr);
}

TEST_F(GridTest, TypingStopsAtTheFieldsSizeAndAPasteThatDoesNotFitIsRefused) {
    auto* edit = new TDBEditNormal(form.get());
    edit->setDataSource(&src);
    edit->setDataField("Nume");
    edit->show();
    for (QLineEdit* w : {editor(), static_cast<QLineEdit*>(edit)}) {
        w->setFocus();
        type(QString(35, QLatin1Char('x')));
        EXPECT_EQ(w->text().size(), 30);
        QApplication::clipboard()->setText(QString(25, QLatin1Char('y')));  // over 5 selected: 50 in all
        w->setSelection(0, 5);
        key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Messages::lastText(),
                  "Textul dat campului 'Nume' are 50 caractere, iar campul tine cel mult 30 caractere");
        EXPECT_FALSE(w->text().contains(QLatin1Char('y')));
    }
}
