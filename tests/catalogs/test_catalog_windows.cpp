// The catalog windows on real tables: selection mode (modal, driven once it
// shows), browse mode (editing in the grid, closing), display order, the
// incremental search and the name column that takes the window's width.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "CatalogFixture.h"
#include "catalogs/BrowseCatalog.h"
#include "catalogs/CatalogSelect.h"
#include "controls/DBGNorm.h"

using catalogs::CatalogMode;
using catalogs::TCatalogFrm;
using catalogs::TEnoriasiFrm;
using catalogs::TNomenclatorBilantFrm;
using catalogs::TTipCheltuialaFrm;
using catalogs::TTipVenitFrm;

namespace {

const char* const kIncomplete = "Informatie incompleta, introduceti atat codul, cat si denumirea!";
const char* const kSaveChanges = "Salvati modificarile?";

ui::TDBGridNormal* grid(QWidget* w) { return gui::control<ui::TDBGridNormal>(w, "CatGrid"); }
QComboBox* orderList(QWidget* w) { return gui::control<QComboBox>(w, "IndexComboBox"); }
QLineEdit* searchBox(QWidget* w) { return gui::control<QLineEdit>(w, "SearchEdit"); }
QPushButton* button(QWidget* w, const char* name) { return gui::control<QPushButton>(w, name); }

// The catalog table, as the grid sees it.
data::Table& catalog(QWidget* w) { return dynamic_cast<data::Table&>(*grid(w)->dataSource()->dataSet()); }
long long currentCode(QWidget* w) { return catalog(w)["Cod_venit"].asInteger(); }
QString currentName(QWidget* w) { return QString::fromStdString(catalog(w)["Denumire"].asString()); }
QString cell(QWidget* w, int row, int col) { return grid(w)->model()->index(row, col).data().toString(); }
bool hasIndex(QWidget* w, const std::string& name) {
    for (const auto& d : catalog(w).indexDefs())
        if (d.name == name) return true;
    return false;
}

// Runs `drive` on the modal window W once it shows. A window still open
// afterwards (a check failed before the key that closes it) is closed, so
// that the test ends.
template <class W>
void whenModal(std::function<void(QWidget*)> drive) {
    gui::onModal([drive](QWidget* w) {
        if (!qobject_cast<W*>(w)) {
            ADD_FAILURE() << "the modal window is a " << w->metaObject()->className();
        } else {
            drive(w);
            gui::settle();
            if (QApplication::activeModalWidget() != w) return;
            ADD_FAILURE() << "modal window left open";
        }
        w->close();
    });
}

class CatalogWindows : public CatalogFixture {
protected:
    void SetUp() override {
        CatalogFixture::SetUp();
        // Names in mixed letter case: in name order "ajutoare" comes first and
        // "Chirii" is the first name at or after "ch" only when case is ignored.
        fill("Tip_venituri.DB", {"Cod_venit", "Denumire", "Explicatie_venit"},
             {{5, "Donatii", "Donatie"},
              {7, "ajutoare", "Ajutor"},
              {12, "Dobanzi bancare", "Dobanda"},
              {15, "Chirii", "Chirie"},
              {20, "Alte venituri", "Alte"},
              {22, "Zilieri", "Zi"}});
    }
};

// ---------------------------------------------------------------- selection mode

TEST_F(CatalogWindows, SelectionOpensOnTheGivenCodeAndHandsBackTheChosenOne) {
    whenModal<TTipVenitFrm>([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Selectie tip venit");
        EXPECT_TRUE(button(w, "ButtonOK")->isVisible());
        EXPECT_TRUE(button(w, "ButtonCancel")->isVisible());
        EXPECT_TRUE(grid(w)->readOnly());
        EXPECT_EQ(currentCode(w), 12);
        gui::keyIn(w, Qt::Key_Down);
        EXPECT_EQ(currentCode(w), 15);
        gui::keyIn(w, Qt::Key_Return);
    });
    short code = 12;
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 15);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CatalogWindows, SelectionCancelledByEscOrTheCloseBoxKeepsTheCode) {
    whenModal<TTipVenitFrm>([](QWidget* w) {
        gui::keyIn(w, Qt::Key_Down);
        gui::keyIn(w, Qt::Key_Escape);
    });
    short code = 12;
    EXPECT_FALSE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 12);

    // A code the catalog lacks: the window opens on the first type.
    whenModal<TTipVenitFrm>([](QWidget* w) {
        EXPECT_EQ(currentCode(w), 5);
        w->close();
    });
    code = 99;
    EXPECT_FALSE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 99);
}

TEST_F(CatalogWindows, EnterInTheSearchBoxChoosesTheNearestNameAndDoubleClickConfirms) {
    whenModal<TTipVenitFrm>([](QWidget* w) {
        QTest::keyClick(orderList(w), Qt::Key_Down);  // "dupa Denumire"
        QTest::keyClicks(searchBox(w), "ch");
        QTest::keyClick(searchBox(w), Qt::Key_Return);
    });
    short code = 0;
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 15);

    whenModal<TTipVenitFrm>([](QWidget* w) {
        gui::keyIn(w, Qt::Key_End);
        emit grid(w)->dblClick();
    });
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 22);
}

TEST_F(CatalogWindows, SelectionOnAnEmptyCatalogCannotConfirm) {
    fill("Tip_cheltuieli.DB", {"Cod_cheltuiala", "Denumire"}, {});
    bool checked = false;
    whenModal<TTipCheltuialaFrm>([&checked](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Selectie tip cheltuiala");
        EXPECT_FALSE(button(w, "ButtonOK")->isEnabled());
        EXPECT_TRUE(grid(w)->readOnly());
        EXPECT_FALSE(grid(w)->hasOption(ui::dgEditing));
        gui::keyIn(w, Qt::Key_Return);
        gui::keyIn(w, Qt::Key_Insert);
        EXPECT_TRUE(catalog(w).isEmpty());
        // There is no record to hand back: a double-click leaves the window open.
        emit grid(w)->dblClick();
        gui::settle();
        EXPECT_TRUE(w->isVisible());
        checked = true;
        gui::keyIn(w, Qt::Key_Escape);
    });
    short code = 0;
    EXPECT_FALSE(catalogs::SelectTipCheltuiala(nullptr, code));
    EXPECT_TRUE(checked);
    EXPECT_EQ(code, 0);
}

TEST_F(CatalogWindows, AMissingCatalogShowsTheEngineErrorOnceAndOpensWithoutData) {
    std::remove(db.file("Tip_cheltuieli.DB").c_str());
    short code = 16;
    EXPECT_FALSE(catalogs::SelectTipCheltuiala(nullptr, code));
    EXPECT_EQ(code, 16);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("Tip_cheltuieli.DB"));
    EXPECT_FALSE(messages()[0].startsWith("Eroare de acces")) << "the engine's own message";
    gui::Recorder::clear();

    // The browse window opens all the same, empty.
    auto* w = catalogs::BrowseCatalog<TTipCheltuialaFrm>(nullptr);
    gui::showActive(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(messages().size(), 1);
    EXPECT_FALSE(catalog(w).active());
    EXPECT_EQ(grid(w)->model()->rowCount(), 0);
}

// ---------------------------------------------------------------- order and search

TEST_F(CatalogWindows, NameOrderWorksTwiceInARowAndAfterReopening) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    EXPECT_FALSE(hasIndex(w, "Den"));
    EXPECT_EQ(currentCode(w), 5);
    QTest::keyClick(orderList(w), Qt::Key_Down);
    EXPECT_EQ(orderList(w)->currentText(), "dupa Denumire");
    EXPECT_TRUE(hasIndex(w, "Den"));
    EXPECT_EQ(catalog(w).indexName(), "Den");
    EXPECT_EQ(currentCode(w), 5);  // the same record stays current
    QStringList byName;
    for (int r = 0; r < 6; ++r) byName << cell(w, r, 1);
    EXPECT_EQ(byName, QStringList({"ajutoare", "Alte venituri", "Chirii", "Dobanzi bancare", "Donatii", "Zilieri"}));

    emit orderList(w)->activated(1);  // the same item chosen again
    EXPECT_EQ(catalog(w).indexName(), "Den");
    EXPECT_EQ(cell(w, 0, 1), "ajutoare");

    QTest::keyClick(orderList(w), Qt::Key_Up);
    EXPECT_EQ(catalog(w).indexName(), "");
    EXPECT_EQ(cell(w, 0, 0), "5");
    EXPECT_TRUE(messages().isEmpty());

    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    EXPECT_TRUE(hasIndex(w, "Den"));
    QTest::keyClick(orderList(w), Qt::Key_Down);
    EXPECT_EQ(catalog(w).indexName(), "Den");
    EXPECT_EQ(cell(w, 0, 1), "ajutoare");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CatalogWindows, SearchGoesToTheNearestKeyOfTheCurrentOrder) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    QLineEdit* search = searchBox(w);
    auto clear = [search] {
        QTest::keyClick(search, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(search, Qt::Key_Delete);
    };
    // Code order: numbers; a text that is not one is refused and nothing moves.
    QTest::keyClicks(search, "13");
    EXPECT_EQ(currentCode(w), 15);
    clear();
    QTest::keyClicks(search, "x");
    EXPECT_EQ(currentCode(w), 15);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("'x'"));
    gui::Recorder::clear();
    clear();

    // Name order: letter case does not count.
    QTest::keyClick(orderList(w), Qt::Key_Down);
    QTest::keyClicks(search, "ch");
    EXPECT_EQ(currentName(w), "Chirii");
    QTest::keyClicks(search, "x");  // "chx": the first name after it
    EXPECT_EQ(currentName(w), "Dobanzi bancare");
    clear();  // an empty text leaves the cursor where it is
    EXPECT_EQ(currentName(w), "Dobanzi bancare");
    QTest::keyClicks(search, "zz");  // past every name: the last one
    EXPECT_EQ(currentName(w), "Zilieri");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CatalogWindows, NameSearchIgnoresCaseAndDiacriticsTheRomanianWay) {
    fill("Tip_venituri.DB", {"Cod_venit", "Denumire"}, {{90, "Ștergare icoane"}, {91, "Ţesături"}});
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    QTest::keyClick(orderList(w), Qt::Key_Down);  // "dupa Denumire"
    for (auto [typed, code] : {std::pair{"ste", 90}, {"ȘTERG", 90}, {"ştergare", 90}, {"tes", 91}, {"ȚES", 91}}) {
        searchBox(w)->setText(QString::fromUtf8(typed));
        EXPECT_EQ(currentCode(w), code) << typed;
    }
}

// ---------------------------------------------------------------- browse mode

TEST_F(CatalogWindows, BrowseWindowsShowTheirCatalogs) {
    struct Expect {
        TCatalogFrm* w;
        QString caption;
        QStringList titles;
        QString codeItem;
        bool maximize;
        QString focus;
    };
    fill("Enoriasi.DB", {"Cod_enorias", "Nume_prenume", "Tip_contributie"}, {{"E1", "Popescu Ion", "anuala"}});
    // The budget lines open on the order list, the others on the grid.
    const std::vector<Expect> all = {
        {catalogs::BrowseCatalog<TTipVenitFrm>(nullptr),
         "Catalog tipuri de venit",
         {"Cod venit", "Denumire", "Explicatie_venit"},
         "dupa Cod",
         true,
         "CatGrid"},
        {catalogs::BrowseCatalog<TTipCheltuialaFrm>(nullptr),
         "Catalog tipuri de Cheltuiala",
         {"Cod cheltuiala", "Denumire", "Explicatie_cheltuiala"},
         "dupa Cod",
         true,
         "CatGrid"},
        {catalogs::BrowseCatalog<TEnoriasiFrm>(nullptr),
         "Catalog enoriasi",
         {"Cod enorias", "Nume si prenume", "Strada", "Numar"},
         "dupa Cod",
         false,
         "CatGrid"},
        {catalogs::BrowseCatalog<TNomenclatorBilantFrm>(nullptr),
         "Nomenclator bilant",
         {"Nr rand", "Denumire", "Formula"},
         "dupa Nr rand",
         true,
         "IndexComboBox"},
    };
    for (const Expect& e : all) {
        SCOPED_TRACE(e.caption.toStdString());
        gui::showActive(e.w);
        EXPECT_EQ(e.w->windowTitle(), e.caption);
        ui::TDBGridNormal* g = grid(e.w);
        QStringList titles;
        for (int c = 0; c < g->columnCount(); ++c) titles << g->columnTitle(c);
        EXPECT_EQ(titles, e.titles);
        EXPECT_EQ(orderList(e.w)->itemText(0), e.codeItem);
        EXPECT_EQ(orderList(e.w)->itemText(1), "dupa Denumire");
        EXPECT_EQ(orderList(e.w)->currentIndex(), 0);
        EXPECT_FALSE(button(e.w, "ButtonOK")->isVisible());
        EXPECT_FALSE(button(e.w, "ButtonCancel")->isVisible());
        EXPECT_FALSE(g->readOnly());
        EXPECT_TRUE(g->hasOption(ui::dgEditing));
        EXPECT_FALSE(g->hasOption(ui::dgRowSelect));
        EXPECT_EQ(bool(e.w->windowFlags() & Qt::WindowMaximizeButtonHint), e.maximize);
        EXPECT_TRUE(e.w->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(catalog(e.w).isEmpty());
        QWidget* f = gui::focused(e.w);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->objectName() == e.focus || gui::control<QWidget>(e.w, e.focus)->isAncestorOf(f))
            << f->objectName().toStdString();
    }
    // One window per catalog.
    EXPECT_EQ(catalogs::BrowseCatalog<TTipVenitFrm>(nullptr), all[0].w);
    all[0].w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TTipVenitFrm* again = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    EXPECT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
}

TEST_F(CatalogWindows, ARowTypedCellByCellIsStoredAndANewRowStartsInTheCodeColumn) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    gui::key(Qt::Key_Right);
    EXPECT_EQ(grid(w)->selectedIndex(), 1);
    gui::key(Qt::Key_Insert);
    EXPECT_EQ(catalog(w).state(), data::DataSetState::Insert);
    EXPECT_EQ(grid(w)->selectedIndex(), 0);
    gui::type("30");
    gui::key(Qt::Key_Return);
    gui::type("Taxe de cimitir");
    gui::key(Qt::Key_Return);
    gui::type("Taxa anuala");
    gui::key(Qt::Key_Return);  // last column: the row is stored, the next one begins
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
    QPointer<QWidget> guard(w);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit"), (std::vector<data::Value>{5, 7, 12, 15, 20, 22, 30}));
    EXPECT_EQ(column("Tip_venituri.DB", "Denumire").back(), data::Value("Taxe de cimitir"));
}

TEST_F(CatalogWindows, ClosingWithAnIncompleteRowIsRefusedUntilEscDropsIt) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(w);
    QPointer<QWidget> guard(w);
    gui::key(Qt::Key_Insert);
    gui::key(Qt::Key_Right);
    EXPECT_EQ(grid(w)->selectedIndex(), 1);
    gui::type("Fara cod");
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(guard);
    EXPECT_TRUE(w->isVisible());
    // asked first; Da stores, and the refused row keeps the window open
    EXPECT_EQ(messages(), (QStringList{kSaveChanges, kIncomplete}));
    EXPECT_EQ(ui::Messages::history()[1].type, ui::MsgType::Warning);
    EXPECT_EQ(catalog(w).state(), data::DataSetState::Insert);

    gui::key(Qt::Key_Escape);
    EXPECT_EQ(catalog(w).state(), data::DataSetState::Browse);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard);
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit").size(), 6u);
}

TEST_F(CatalogWindows, RowsTheCatalogsRefuseStayBeingEdited) {
    fill("Bilant.DB", {"Nr_rand", "Denumire"}, {});
    // A code already present: the engine's key violation.
    auto* venit = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::showActive(venit);
    gui::key(Qt::Key_Insert);
    gui::type("12");
    gui::key(Qt::Key_Return);
    gui::type("Dublura");
    venit->close();
    ASSERT_EQ(ui::Messages::history().size(), 2u);
    EXPECT_EQ(messages()[0], kSaveChanges);
    EXPECT_EQ(ui::Messages::history()[1].type, ui::MsgType::Error);
    EXPECT_NE(messages()[1], kIncomplete);
    EXPECT_TRUE(venit->isVisible());
    EXPECT_EQ(catalog(venit).state(), data::DataSetState::Insert);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit").size(), 6u);
    gui::Recorder::clear();

    // A parishioner needs a contribution type, which the grid does not show.
    auto* enoriasi = catalogs::BrowseCatalog<TEnoriasiFrm>(nullptr);
    gui::showActive(enoriasi);
    gui::key(Qt::Key_Insert);
    gui::type("E7");
    gui::key(Qt::Key_Return);
    gui::type("Ionescu Maria");
    enoriasi->close();
    const QString parishionerIncomplete =
        "Informatie incompleta, introduceti atat codul, numele enoriasului cat si tipul contributiei!";
    EXPECT_EQ(messages(), (QStringList{kSaveChanges, parishionerIncomplete}));
    EXPECT_TRUE(enoriasi->isVisible());
    EXPECT_TRUE(column("Enoriasi.DB", "Cod_enorias").empty());
    gui::Recorder::clear();

    // Line number 0 counts as present; a name of blanks does not.
    auto* bilant = catalogs::BrowseCatalog<TNomenclatorBilantFrm>(nullptr);
    gui::showActive(bilant);
    gui::focus(grid(bilant));
    gui::key(Qt::Key_Insert);
    gui::type("0");
    gui::key(Qt::Key_Return);
    gui::type("   ");
    bilant->close();
    EXPECT_EQ(messages(), (QStringList{kSaveChanges, kIncomplete}));
    EXPECT_TRUE(bilant->isVisible());
    gui::Recorder::clear();
    gui::key(Qt::Key_A, Qt::ControlModifier);
    gui::type("Rand zero");
    bilant->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(messages(), QStringList{kSaveChanges});
    EXPECT_EQ(column("Bilant.DB", "Nr_rand"), std::vector<data::Value>{data::Value(0)});
    EXPECT_EQ(column("Bilant.DB", "Denumire"), std::vector<data::Value>{data::Value("Rand zero")});
}

// ---------------------------------------------------------------- width

// Long names are not cut: the windows can be resized, and the name column
// takes every pixel the window gains while the other columns keep theirs.
TEST_F(CatalogWindows, TheNameColumnStretchesWithTheWindow) {
    const std::string longest = "Venituri din vanzarea obiectelor de cult si a cartilor";
    fill("Tip_venituri.DB", {"Cod_venit", "Denumire", "Explicatie_venit"},
         {{4, "Venituri din vanzarea lumanarilor", "Vanzare"}, {5, longest, "Vanzare"}});
    TTipVenitFrm select(nullptr, CatalogMode::Select);
    for (TCatalogFrm* w : {static_cast<TCatalogFrm*>(catalogs::BrowseCatalog<TTipVenitFrm>(nullptr)),
                           static_cast<TCatalogFrm*>(&select)}) {
        SCOPED_TRACE(w->mode() == CatalogMode::Browse ? "browse" : "select");
        gui::showActive(w);
        EXPECT_LT(w->minimumWidth(), w->maximumWidth()) << "the window can be resized";
        ui::TDBGridNormal* g = grid(w);
        const int code = g->columnWidth(0), explanation = g->columnWidth(2);
        // At the layout's size the installed names show in full (with the
        // cell's margins).
        const int fits = g->fontMetrics().horizontalAdvance(QString::fromStdString(longest)) + 10;
        EXPECT_GE(g->columnWidth(1), fits);

        w->resize(w->width() + 250, w->height());
        gui::settle();
        const int wide = g->columnWidth(1);
        w->resize(w->width() - 150, w->height());
        gui::settle();
        EXPECT_EQ(g->columnWidth(1), wide - 150);
        EXPECT_EQ(g->columnWidth(0), code);
        EXPECT_EQ(g->columnWidth(2), explanation);
        // The name column fills the grid to its right edge.
        EXPECT_EQ(g->horizontalHeader()->length(), g->viewport()->width());
    }
    // A new row (the grid's rows are rebuilt) keeps the column stretching.
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    gui::focus(grid(w));
    gui::key(Qt::Key_Insert);
    const int before = grid(w)->columnWidth(1);
    w->resize(w->width() + 100, w->height());
    gui::settle();
    EXPECT_EQ(grid(w)->columnWidth(1), before + 100);
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
}

// ---------------------------------------------------------------- deleting

TEST_F(CatalogWindows, ARowThatDocumentsOrFormulasNameIsNotDeleted) {
    data::insertRows(db.file("Venituri.DB"), {"Nr_act", "Cod_venit"}, {{1.0, 12}, {2.0, 12}, {3.0, 4}});
    data::insertRows(db.file("Cheltuieli.DB"), {"Nr_act", "Cod_cheltuiala"}, {{1.0, 16}});
    struct Case {
        std::function<QWidget*()> open;
        const char *table, *codeField, *used, *message, *unused;
    };
    const Case cases[] = {
        {[] { return catalogs::BrowseCatalog<TTipVenitFrm>(nullptr); }, "Tip_venituri.DB", "Cod_venit", "12",
         "Tipul de venit 12 este folosit de 2 documente si nu poate fi sters!", "15"},
        {[] { return catalogs::BrowseCatalog<TTipCheltuialaFrm>(nullptr); }, "Tip_cheltuieli.DB", "Cod_cheltuiala",
         "16", "Tipul de cheltuiala 16 este folosit de 1 document si nu poate fi sters!", "17"},
        {[] { return catalogs::BrowseCatalog<TNomenclatorBilantFrm>(nullptr); }, "Bilant.DB", "Nr_rand", "16",
         "Randul 16 este folosit de 1 document, in formulele randurilor 15, 32, si nu poate fi sters!", "33"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const size_t rows = column(c.table, c.codeField).size();
        QWidget* w = c.open();
        gui::showActive(w);
        auto deleteRow = [w](const char* code) {
            gui::focus(searchBox(w));
            searchBox(w)->clear();
            gui::type(code);
            gui::focus(grid(w));
            gui::Recorder::clear();
            gui::key(Qt::Key_Delete, Qt::ControlModifier);
            return messages();
        };
        // Refused before the question is asked; a row nothing names is deleted.
        EXPECT_EQ(deleteRow(c.used), QStringList{c.message});
        EXPECT_EQ(deleteRow(c.unused), QStringList{"Stergeti inregistrarea?"});
        w->close();
        gui::settle();
        std::vector<long long> codes;
        for (const data::Value& v : column(c.table, c.codeField)) codes.push_back(v.toInt());
        EXPECT_EQ(codes.size(), rows - 1);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), std::stoll(c.used)), 1);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), std::stoll(c.unused)), 0);
    }
}

}  // namespace
