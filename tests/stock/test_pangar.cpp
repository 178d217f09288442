// The church-shop receipts window on a new installation in a temporary
// directory, driven by keys: documents, their items and their Cod.
#include <QComboBox>
#include <QPointer>
#include <gtest/gtest.h>

#include "controls/DBGNorm.h"
#include "controls/DBPos.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "shell/WindowSlots.h"
#include "stock/PangarInUnt.h"
#include "support/GuiDriver.h"
#include "support/Installation.h"
#include "support/TempDir.h"

using gui::control;
using V = data::Value;

namespace {

class ChurchShop : public ::testing::Test {
protected:
    void SetUp() override {
        support::installInto(db.path());
        data::setAppDir(db.path());
        gui::Recorder::clear();
    }
    void TearDown() override {
        if (window) window->close();
        gui::settle();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void documents(int n) {
        for (int i = 1; i <= n; ++i)
            data::insertRows(db.file("DocIn.db"), {"Numar", "Data", "Tip", "Furnizor", "Explicatie"},
                             {{V(10.0 * i), V(data::Date{2014, 5, i}), V("O.P."), V("Furnizor"), V("Intrare")}});
    }
    stock::TPangarInFrm* open() {
        window = shell::OpenSingleWindow<stock::TPangarInFrm>(nullptr);
        gui::showActive(window);
        return window;
    }
    data::DataSet& set(const std::string& name) {
        for (data::DataSet* ds : window->tables())
            if (ds->name() == name) return *ds;
        throw std::logic_error(name);
    }
    std::vector<std::vector<V>> stored(const std::string& sql) {
        return data::SqlSession::forDirectory(db.path()).select(sql).rows;
    }
    // Types one item row in the grid, which has the focus (the keys open a
    // row on its article code: the item's Cod and number are not typed).
    void typeItem(const char* name, const char* article = "7") {
        gui::type(article);
        gui::key(Qt::Key_Return);
        gui::type(name);
        for (int i = 0; i < 5; ++i) gui::key(Qt::Key_Return);  // past the last column: the row is stored
    }

    TempDir db;
    gui::Recorder rec;
    QPointer<stock::TPangarInFrm> window;
};

TEST_F(ChurchShop, OpensOnTheLastDocumentAndOnceOnly) {
    documents(3);
    data::insertRows(db.file("Furnizori.db"), {"Cod_furn", "Denumire"}, {{V("F1"), V("Lumanari SRL")}});
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Registru intrari lumanari"));
    EXPECT_EQ(set("DocIn.db").recNo(), 3);
    EXPECT_EQ(set("DocIn.db").recordCount(), 3);
    EXPECT_EQ(set("DocIn.db")["Numar"].asFloat(), 30.0);
    EXPECT_EQ(control<ui::TDBPos>(window, "DBPos1")->text(), QStringLiteral("3/3"));
    EXPECT_EQ(shell::OpenSingleWindow<stock::TPangarInFrm>(nullptr), window.data());
    EXPECT_EQ(control<QComboBox>(window, "DBLookupComboBox1")->findText("Lumanari SRL") >= 0, true);
}

TEST_F(ChurchShop, ANewDocumentIsStoredBeforeItsItemsWhichCarryItsCod) {
    documents(2);
    open();
    gui::focus(control<QWidget>(window, "DBEditNormal1"));
    gui::key(Qt::Key_Insert);
    EXPECT_EQ(set("DocIn.db").state(), data::DataSetState::Insert);
    gui::type("77");
    gui::key(Qt::Key_Return);
    // moving into the items stores the document: it receives the next Cod
    gui::focus(control<ui::TDBGridNormal>(window, "ItemsGrid"));
    EXPECT_EQ(set("DocIn.db").state(), data::DataSetState::Browse);
    const V cod = set("DocIn.db")["Cod"].value();
    EXPECT_EQ(cod, V(3));
    typeItem("Lumanari");
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    auto rows = stored("SELECT Cod, Denumire FROM \"ItemIn.DB\"");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toDouble(), 3.0);
    EXPECT_EQ(rows[0][1], V("Lumanari"));
}

TEST_F(ChurchShop, TheKeysPassOverTheItemsCodeAndItemsStayWithTheDocumentShown) {
    documents(2);
    data::insertRows(db.file("ItemIn.DB"), {"Cod", "Cod_articol", "Denumire"}, {{V(2.0), V(1.0), V("Tamaie")}});
    open();
    auto* grid = control<ui::TDBGridNormal>(window, "ItemsGrid");
    gui::focus(grid);
    EXPECT_EQ(grid->selectedIndex(), 2);
    for (int k : {Qt::Key_Home, Qt::Key_Left, Qt::Key_Backtab}) {
        gui::key(k);
        EXPECT_EQ(grid->selectedIndex(), 2) << k;
    }
    // A click puts the caret in the Cod cell: typing there changes nothing.
    grid->setSelectedIndex(0);
    gui::type("5");
    EXPECT_EQ(set("ItemIn.DB")["Cod"].asFloat(), 2.0);
    // Enter past the last cell opens the next row on its article code.
    grid->setSelectedIndex(2);
    for (int i = 0; i < 6; ++i) gui::key(Qt::Key_Return);
    EXPECT_EQ(set("ItemIn.DB").state(), data::DataSetState::Insert);
    EXPECT_EQ(grid->selectedIndex(), 2);
    typeItem("Lumanari", "5");
    EXPECT_EQ(stored("SELECT Cod, Cod_articol, Denumire FROM \"ItemIn.DB\" ORDER BY Cod_secundar"),
              (std::vector<std::vector<V>>{{V(2.0), V(1.0), V("Tamaie")}, {V(2.0), V(5.0), V("Lumanari")}}));
}

TEST_F(ChurchShop, AnItemOnAnUntypedNewDocumentIsRefusedAndNothingIsStoredWithoutACod) {
    documents(1);
    open();
    gui::focus(control<QWidget>(window, "DBEditNormal1"));
    gui::key(Qt::Key_Insert);
    gui::focus(control<ui::TDBGridNormal>(window, "ItemsGrid"));
    EXPECT_EQ(gui::Recorder::messages(), QStringList{QString::fromUtf8(stock::kDocumentNotStored)});
    // and directly on the items table
    gui::Recorder::clear();
    EXPECT_THROW(set("ItemIn.DB").insert(), data::Abort);
    EXPECT_TRUE(stored("SELECT * FROM \"ItemIn.DB\"").empty());
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"DocIn.db\"")[0][0].toInt(), 1);
}

TEST_F(ChurchShop, CtrlDeleteDeletesTheDocumentAtOnceAndKeepsItsItems) {
    documents(2);
    data::insertRows(db.file("ItemIn.DB"), {"Cod", "Denumire"}, {{V(2.0), V("Tamaie")}});
    open();
    EXPECT_EQ(set("ItemIn.DB").recordCount(), 1);
    gui::focus(control<QWidget>(window, "DBEditNormal1"));
    gui::key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(gui::Recorder::messages().isEmpty()) << gui::Recorder::messages().join("|").toStdString();
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"DocIn.db\"")[0][0].toInt(), 1);
    EXPECT_EQ(stored("SELECT COUNT(*) FROM \"ItemIn.DB\" WHERE Cod = 2")[0][0].toInt(), 1);
}

TEST_F(ChurchShop, AnEmptySupplierTableGivesAnEmptyList) {
    documents(1);
    open();
    EXPECT_EQ(control<QComboBox>(window, "DBLookupComboBox1")->count(), 0);
    EXPECT_TRUE(set("DocIn.db")["Furnizor"].asString() == "Furnizor");
}

}  // namespace
