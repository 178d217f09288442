// The catalog windows on real tables: selection mode (modal, driven from a
// timer), browse mode (editing in the grid, closing), display order and the
// incremental search.
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
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

// Runs `drive` on the modal window as soon as it shows; a window left open by
// a failed check is closed after a while so that the test ends.
template <class W>
void whenModal(std::function<void(W*)> drive) {
    QTimer::singleShot(0, [drive] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            ADD_FAILURE() << "no modal window";
            return;
        }
        drive(w);
    });
}

struct Watchdog {
    QTimer timer;
    Watchdog() {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "modal window left open";
                m->close();
            }
        });
        timer.start(10000);
    }
};

long long currentCode(TCatalogFrm* w) { return w->codeField()->asInteger(); }
QString currentName(TCatalogFrm* w) { return QString::fromStdString(w->nameField()->asString()); }
QString cell(TCatalogFrm* w, int row, int col) { return w->CatGrid->model()->index(row, col).data().toString(); }

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

    static bool hasIndex(TCatalogFrm* w, const std::string& name) {
        for (const auto& d : w->Catalog.indexDefs())
            if (d.name == name) return true;
        return false;
    }
};

// ---------------------------------------------------------------- selection mode

TEST_F(CatalogWindows, SelectionOpensOnTheGivenCodeAndHandsBackTheChosenOne) {
    Watchdog dog;
    whenModal<TTipVenitFrm>([](TTipVenitFrm* w) {
        EXPECT_EQ(w->windowTitle(), "Selectie tip venit");
        EXPECT_TRUE(w->ButtonOK->isVisible());
        EXPECT_TRUE(w->ButtonCancel->isVisible());
        EXPECT_TRUE(w->CatGrid->readOnly());
        EXPECT_EQ(currentCode(w), 12);
        QTest::keyClick(w->CatGrid, Qt::Key_Down);
        EXPECT_EQ(currentCode(w), 15);
        QTest::keyClick(w->CatGrid, Qt::Key_Return);
    });
    short code = 12;
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 15);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CatalogWindows, SelectionCancelledByEscOrTheCloseBoxKeepsTheCode) {
    Watchdog dog;
    whenModal<TTipVenitFrm>([](TTipVenitFrm* w) {
        QTest::keyClick(w->CatGrid, Qt::Key_Down);
        QTest::keyClick(w->CatGrid, Qt::Key_Escape);
    });
    short code = 12;
    EXPECT_FALSE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 12);

    // A code the catalog lacks: the window opens on the first type.
    whenModal<TTipVenitFrm>([](TTipVenitFrm* w) {
        EXPECT_EQ(currentCode(w), 5);
        w->close();
    });
    code = 99;
    EXPECT_FALSE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 99);
}

TEST_F(CatalogWindows, EnterInTheSearchBoxChoosesTheNearestNameAndDoubleClickConfirms) {
    Watchdog dog;
    whenModal<TTipVenitFrm>([](TTipVenitFrm* w) {
        QTest::keyClick(w->IndexComboBox, Qt::Key_Down);  // "dupa Denumire"
        QTest::keyClicks(w->SearchEdit, "ch");
        QTest::keyClick(w->SearchEdit, Qt::Key_Return);
    });
    short code = 0;
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 15);

    whenModal<TTipVenitFrm>([](TTipVenitFrm* w) {
        QTest::keyClick(w->CatGrid, Qt::Key_End);
        emit w->CatGrid->dblClick();
    });
    EXPECT_TRUE(catalogs::SelectTipVenit(nullptr, code));
    EXPECT_EQ(code, 22);
}

TEST_F(CatalogWindows, SelectionOnAnEmptyCatalogCannotConfirm) {
    fill("Tip_cheltuieli.DB", {"Cod_cheltuiala", "Denumire"}, {});
    Watchdog dog;
    bool checked = false;
    whenModal<TTipCheltuialaFrm>([&checked](TTipCheltuialaFrm* w) {
        EXPECT_EQ(w->windowTitle(), "Selectie tip cheltuiala");
        EXPECT_FALSE(w->ButtonOK->isEnabled());
        EXPECT_TRUE(w->CatGrid->readOnly());
        EXPECT_FALSE(w->CatGrid->hasOption(ui::dgEditing));
        QTest::keyClick(w->CatGrid, Qt::Key_Return);
        QTest::keyClick(w->CatGrid, Qt::Key_Insert);
        EXPECT_TRUE(w->Catalog.isEmpty());
        // There is no record to hand back: a double-click leaves the window open.
        emit w->CatGrid->dblClick();
        QApplication::processEvents();
        EXPECT_TRUE(w->isVisible());
        checked = true;
        QTest::keyClick(w->CatGrid, Qt::Key_Escape);
    });
    short code = 0;
    EXPECT_FALSE(catalogs::SelectTipCheltuiala(nullptr, code));
    EXPECT_TRUE(checked);
    EXPECT_EQ(code, 0);
}

TEST_F(CatalogWindows, SelectionOnAMissingCatalogShowsTheEngineErrorAndChoosesNothing) {
    std::remove(db.file("Tip_cheltuieli.DB").c_str());
    short code = 16;
    EXPECT_FALSE(catalogs::SelectTipCheltuiala(nullptr, code));
    EXPECT_EQ(code, 16);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("Tip_cheltuieli.DB"));
}

// ---------------------------------------------------------------- order and search

TEST_F(CatalogWindows, NameOrderWorksTwiceInARowAndAfterReopening) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    showActive(w);
    EXPECT_FALSE(hasIndex(w, "Den"));
    EXPECT_EQ(currentCode(w), 5);
    QTest::keyClick(w->IndexComboBox, Qt::Key_Down);
    EXPECT_EQ(w->IndexComboBox->currentText(), "dupa Denumire");
    EXPECT_TRUE(hasIndex(w, "Den"));
    EXPECT_EQ(w->Catalog.indexName(), "Den");
    EXPECT_EQ(currentCode(w), 5);  // the same record stays current
    QStringList byName;
    for (int r = 0; r < 6; ++r) byName << cell(w, r, 1);
    EXPECT_EQ(byName, QStringList({"ajutoare", "Alte venituri", "Chirii", "Dobanzi bancare", "Donatii", "Zilieri"}));

    emit w->IndexComboBox->activated(1);  // the same item chosen again
    EXPECT_EQ(w->Catalog.indexName(), "Den");
    EXPECT_EQ(cell(w, 0, 1), "ajutoare");

    QTest::keyClick(w->IndexComboBox, Qt::Key_Up);
    EXPECT_EQ(w->Catalog.indexName(), "");
    EXPECT_EQ(cell(w, 0, 0), "5");
    EXPECT_TRUE(messages().isEmpty());

    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    showActive(w);
    EXPECT_TRUE(hasIndex(w, "Den"));
    QTest::keyClick(w->IndexComboBox, Qt::Key_Down);
    EXPECT_EQ(w->Catalog.indexName(), "Den");
    EXPECT_EQ(cell(w, 0, 1), "ajutoare");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(CatalogWindows, SearchGoesToTheNearestKeyOfTheCurrentOrder) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    showActive(w);
    auto clear = [w] {
        QTest::keyClick(w->SearchEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w->SearchEdit, Qt::Key_Delete);
    };
    // Code order: numbers; a text that is not one is refused and nothing moves.
    QTest::keyClicks(w->SearchEdit, "13");
    EXPECT_EQ(currentCode(w), 15);
    clear();
    QTest::keyClicks(w->SearchEdit, "x");
    EXPECT_EQ(currentCode(w), 15);
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_TRUE(messages()[0].contains("'x'"));
    ui::Messages::clearHistory();
    clear();

    // Name order: letter case does not count.
    QTest::keyClick(w->IndexComboBox, Qt::Key_Down);
    QTest::keyClicks(w->SearchEdit, "ch");
    EXPECT_EQ(currentName(w), "Chirii");
    QTest::keyClicks(w->SearchEdit, "x");  // "chx": the first name after it
    EXPECT_EQ(currentName(w), "Dobanzi bancare");
    clear();  // an empty text leaves the cursor where it is
    EXPECT_EQ(currentName(w), "Dobanzi bancare");
    QTest::keyClicks(w->SearchEdit, "zz");  // past every name: the last one
    EXPECT_EQ(currentName(w), "Zilieri");
    EXPECT_TRUE(messages().isEmpty());
}

// ---------------------------------------------------------------- browse mode

TEST_F(CatalogWindows, BrowseWindowsShowTheirCatalogs) {
    struct Expect {
        TCatalogFrm* w;
        QString caption;
        QStringList titles;
        QString codeItem;
        bool maximize;
    };
    fill("Enoriasi.DB", {"Cod_enorias", "Nume_prenume", "Tip_contributie"}, {{"E1", "Popescu Ion", "anuala"}});
    const std::vector<Expect> all = {
        {catalogs::BrowseCatalog<TTipVenitFrm>(nullptr), "Catalog tipuri de venit",
         {"Cod venit", "Denumire", "Explicatie_venit"}, "dupa Cod", true},
        {catalogs::BrowseCatalog<TTipCheltuialaFrm>(nullptr), "Catalog tipuri de Cheltuiala",
         {"Cod cheltuiala", "Denumire", "Explicatie_cheltuiala"}, "dupa Cod", true},
        {catalogs::BrowseCatalog<TEnoriasiFrm>(nullptr), "Catalog enoriasi",
         {"Cod enorias", "Nume si prenume", "Strada", "Numar"}, "dupa Cod", false},
        {catalogs::BrowseCatalog<TNomenclatorBilantFrm>(nullptr), "Nomenclator bilant",
         {"Nr rand", "Denumire", "Formula"}, "dupa Nr rand", true},
    };
    for (const Expect& e : all) {
        SCOPED_TRACE(e.caption.toStdString());
        showActive(e.w);
        EXPECT_EQ(e.w->windowTitle(), e.caption);
        QStringList titles;
        for (int c = 0; c < e.w->CatGrid->columnCount(); ++c) titles << e.w->CatGrid->columnTitle(c);
        EXPECT_EQ(titles, e.titles);
        EXPECT_EQ(e.w->IndexComboBox->itemText(0), e.codeItem);
        EXPECT_EQ(e.w->IndexComboBox->itemText(1), "dupa Denumire");
        EXPECT_EQ(e.w->IndexComboBox->currentIndex(), 0);
        EXPECT_FALSE(e.w->ButtonOK->isVisible());
        EXPECT_FALSE(e.w->ButtonCancel->isVisible());
        EXPECT_FALSE(e.w->CatGrid->readOnly());
        EXPECT_TRUE(e.w->CatGrid->hasOption(ui::dgEditing));
        EXPECT_FALSE(e.w->CatGrid->hasOption(ui::dgRowSelect));
        EXPECT_EQ(bool(e.w->windowFlags() & Qt::WindowMaximizeButtonHint), e.maximize);
        EXPECT_TRUE(e.w->windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(e.w->Catalog.isEmpty());
        // The budget lines open on the order list, the others on the grid.
        QWidget* f = QApplication::focusWidget();
        if (e.w == all[3].w)
            EXPECT_EQ(f, e.w->IndexComboBox);
        else
            EXPECT_TRUE(f == e.w->CatGrid || e.w->CatGrid->isAncestorOf(f));
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
    showActive(w);
    key(Qt::Key_Right);
    EXPECT_EQ(w->CatGrid->selectedIndex(), 1);
    key(Qt::Key_Insert);
    EXPECT_EQ(w->Catalog.state(), data::DataSetState::Insert);
    EXPECT_EQ(w->CatGrid->selectedIndex(), 0);
    type("30");
    key(Qt::Key_Return);
    type("Taxe de cimitir");
    key(Qt::Key_Return);
    type("Taxa anuala");
    key(Qt::Key_Return);  // last column: the row is stored, the next one begins
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
    QPointer<QWidget> guard(w);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit"),
              (std::vector<data::Value>{5, 7, 12, 15, 20, 22, 30}));
    EXPECT_EQ(column("Tip_venituri.DB", "Denumire").back(), data::Value("Taxe de cimitir"));
}

TEST_F(CatalogWindows, ClosingWithAnIncompleteRowIsRefusedUntilEscDropsIt) {
    auto* w = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    showActive(w);
    QPointer<QWidget> guard(w);
    key(Qt::Key_Insert);
    key(Qt::Key_Right);
    EXPECT_EQ(w->CatGrid->selectedIndex(), 1);
    type("Fara cod");
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(guard);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(messages(), QStringList{kIncomplete});
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Warning);
    EXPECT_EQ(w->Catalog.state(), data::DataSetState::Insert);

    key(Qt::Key_Escape);
    EXPECT_EQ(w->Catalog.state(), data::DataSetState::Browse);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(guard);
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit").size(), 6u);
}

TEST_F(CatalogWindows, RowsTheCatalogsRefuseStayBeingEdited) {
    fill("Bilant.DB", {"Nr_rand", "Denumire"}, {});
    // A code already present: the engine's key violation.
    auto* venit = catalogs::BrowseCatalog<TTipVenitFrm>(nullptr);
    showActive(venit);
    key(Qt::Key_Insert);
    type("12");
    key(Qt::Key_Return);
    type("Dublura");
    venit->close();
    ASSERT_EQ(ui::Messages::history().size(), 1u);
    EXPECT_EQ(ui::Messages::history()[0].type, ui::MsgType::Error);
    EXPECT_NE(messages()[0], kIncomplete);
    EXPECT_TRUE(venit->isVisible());
    EXPECT_EQ(venit->Catalog.state(), data::DataSetState::Insert);
    EXPECT_EQ(column("Tip_venituri.DB", "Cod_venit").size(), 6u);
    ui::Messages::clearHistory();

    // A parishioner needs a contribution type, which the grid does not show.
    auto* enoriasi = catalogs::BrowseCatalog<TEnoriasiFrm>(nullptr);
    showActive(enoriasi);
    key(Qt::Key_Insert);
    type("E7");
    key(Qt::Key_Return);
    type("Ionescu Maria");
    enoriasi->close();
    EXPECT_EQ(messages(), QStringList{"Informatie incompleta, introduceti atat codul, numele enoriasului cat si tipul "
                                      "contributiei!"});
    EXPECT_TRUE(enoriasi->isVisible());
    EXPECT_TRUE(column("Enoriasi.DB", "Cod_enorias").empty());
    ui::Messages::clearHistory();

    // Line number 0 counts as present.
    auto* bilant = catalogs::BrowseCatalog<TNomenclatorBilantFrm>(nullptr);
    showActive(bilant);
    bilant->CatGrid->setFocus();
    QApplication::processEvents();
    key(Qt::Key_Insert);
    type("0");
    key(Qt::Key_Return);
    type("Rand zero");
    bilant->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
    EXPECT_EQ(column("Bilant.DB", "Nr_rand"), std::vector<data::Value>{data::Value(0)});
}

}  // namespace
