// Catalog windows and balances on a large database: an income-type catalog of
// 2,000 types, 100,000 receipts and 100,000 payments (plus 10,000 deposits and
// withdrawals).
//
// Targets: opening the catalog window and switching it to name order (adding
// the "Den" index) under 100 ms; switching the order of an open window under
// 100 ms; computing both balances and showing them in their labels under 50 ms.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QKeyEvent>
#include <QWindow>
#include <benchmark/benchmark.h>

#include "WindowBenchMain.h"
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchData.h"
#include "catalogs/CatalogFrm.h"
#include "controls/Binding.h"
#include "controls/DBGNorm.h"
#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "entry/Balances.h"

namespace fs = std::filesystem;

namespace {

std::string g_db;

void fillDatabase() {
    data::createInstallation(g_db);
    data::setAppDir(g_db);
    {
        data::Table t;
        t.setTableName("Tip_venituri.DB");
        t.emptyTable();
    }
    const char* words[] = {"Donatii", "chirii", "Taxe", "ajutoare", "Sponsorizari", "dobanzi", "Vanzari", "Colecte"};
    std::vector<std::vector<data::Value>> rows;
    for (int i = 0; i < 2000; ++i)
        rows.push_back(
            {i + 1, std::string(words[(i * 7) % 8]) + " " + std::to_string((i * 7919) % 2000), "Explicatie implicita"});
    data::insertRows(g_db + "Tip_venituri.DB", {"Cod_venit", "Denumire", "Explicatie_venit"}, rows);

    data::insertRows(g_db + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1500.0, 20000.0}});
    bench::fillYearOfDocuments(g_db);
}

// Removes the name index, so that the next switch to name order adds it again.
void dropNameIndex() {
    sqlite3* db = nullptr;
    if (sqlite3_open((g_db + "Tip_venituri.DB").c_str(), &db) == SQLITE_OK)
        sqlite3_exec(db, "DROP INDEX IF EXISTS \"Den\"", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// A key pressed and released on a control, as the keyboard delivers it.
void pressKey(QWidget* w, Qt::Key k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// The catalog table of a window, through its grid.
data::Table& catalogOf(QWidget* w) {
    return static_cast<data::Table&>(*ui::child<ui::TDBGridNormal>(w, "CatGrid")->dataSource()->dataSet());
}

void waitExposed(QWidget* w) {
    while (!w->windowHandle() || !w->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

// Opening the browse window on the catalog, shown, then "dupa Denumire" chosen
// as the user does it; the index is missing each time.
void BM_CatalogOpenAndNameOrder(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        dropNameIndex();
        state.ResumeTiming();
        auto* w = new catalogs::TTipVenitFrm(nullptr);
        w->show();
        waitExposed(w);
        pressKey(ui::child<QComboBox>(w, "IndexComboBox"), Qt::Key_Down);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(catalogOf(w).recNo());
        state.PauseTiming();
        if (catalogOf(w).indexName() != "Den" || catalogOf(w).recordCount() != 2000) state.SkipWithError("wrong order");
        delete w;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CatalogOpenAndNameOrder)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// An open window going from code order to name order and back (index present).
void BM_CatalogSwitchOrder(benchmark::State& state) {
    auto* w = new catalogs::TTipVenitFrm(nullptr);
    w->show();
    waitExposed(w);
    for (auto _ : state) {
        pressKey(ui::child<QComboBox>(w, "IndexComboBox"), Qt::Key_Down);
        QCoreApplication::processEvents();
        pressKey(ui::child<QComboBox>(w, "IndexComboBox"), Qt::Key_Up);
        QCoreApplication::processEvents();
    }
    if (!catalogOf(w).indexName().empty()) state.SkipWithError("wrong order");
    delete w;
}
BENCHMARK(BM_CatalogSwitchOrder)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// Both balances computed and shown in their value labels, painted at once.
void BM_BalancesShown(benchmark::State& state) {
    QWidget window;
    auto* casa = new QLabel(&window);
    auto* banca = new QLabel(&window);
    banca->move(0, 30);
    window.resize(300, 80);
    window.show();
    waitExposed(&window);
    for (auto _ : state) {
        casa->setText(QString::fromStdString(entry::balanceText(entry::CalcSoldCasa())));
        banca->setText(QString::fromStdString(entry::balanceText(entry::CalcSoldBanca())));
        casa->repaint();
        banca->repaint();
    }
    state.SetLabel((casa->text() + " / " + banca->text()).toStdString());
}
BENCHMARK(BM_BalancesShown)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// The engine part alone, for comparison.
void BM_BalancesComputed(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(entry::CalcSoldCasa());
        benchmark::DoNotOptimize(entry::CalcSoldBanca());
    }
}
BENCHMARK(BM_BalancesComputed)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// Keeps the mean real time of every benchmark for the summary.
}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(
        argc, argv, "catalogs", g_db, fillDatabase,
        {{"BM_CatalogOpenAndNameOrder", "Catalog of 2,000 types opened and put in name order", 100},
         {"BM_CatalogSwitchOrder", "Order switched twice (name, code) in an open catalog", 100},
         {"BM_BalancesShown", "Both balances computed and shown", 50}});
}
