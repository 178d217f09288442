// The budget on a large unit's year: 100,000 receipts and 100,000 payments
// over 40 income and 60 expense types, a budget of 120 lines of which 30 are
// formulas (subtotals, totals, a final balance and a forward reference).
//
// Targets: the budget as at a date under 150 ms; the period computation under
// 400 ms; the budget window opened from the menu (computation included) under
// 300 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>

#include "WindowBenchMain.h"
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "budget/BilantUnt.h"
#include "budget/CalcBilant.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Query.h"
#include "data/Schema.h"
#include "shell/Messages.h"

namespace fs = std::filesystem;
using data::Date;
using data::Value;

namespace {

std::string g_db;

// Income codes 2..41, each with its line; expense codes 51..110, lines for
// 51..98 (the other twelve codes are in no line); 30 formula lines.
void fillDatabase() {
    data::createInstallation(g_db);
    data::setAppDir(g_db);
    auto& sql = data::SqlSession::forDirectory(g_db);
    for (const char* t : {"Tip_venituri", "Tip_cheltuieli", "Bilant", "Parohia"})
        sql.execute(std::string("DELETE FROM ") + t);
    data::insertRows(g_db + "Parohia.DB", {"Parohia", "An_lucru"}, {{"Parohia Sf. Ioan", 2014}});
    data::insertRows(g_db + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1500.0, 20000.0}});

    std::vector<std::vector<Value>> venit, cheltuiala, lines;
    for (int c = 2; c <= 41; ++c) venit.push_back({c, "Venit " + std::to_string(c)});
    for (int c = 51; c <= 110; ++c) cheltuiala.push_back({c, "Cheltuiala " + std::to_string(c)});
    data::insertRows(g_db + "Tip_venituri.DB", {"Cod_venit", "Denumire"}, venit);
    data::insertRows(g_db + "Tip_cheltuieli.DB", {"Cod_cheltuiala", "Denumire"}, cheltuiala);

    auto line = [&](int nr, const std::string& name, Value formula = Value()) {
        lines.push_back({nr, name, 100.0 * (nr % 7), 0.0, formula});
    };
    line(0, "VENITURI");
    line(1, "Sold initial");
    for (int c = 2; c <= 41; ++c) line(c, "Venit " + std::to_string(c));
    for (int g = 0; g < 8; ++g)
        line(42 + g, "Subtotal venituri " + std::to_string(g), bench::formulaOfLines(2 + 5 * g, 6 + 5 * g));
    line(50, "TOTAL VENITURI", bench::formulaOfLines(42, 49));
    for (int c = 51; c <= 98; ++c) line(c, "Cheltuiala " + std::to_string(c));
    for (int g = 0; g < 12; ++g)
        line(111 + g, "Subtotal cheltuieli " + std::to_string(g), bench::formulaOfLines(51 + 4 * g, 54 + 4 * g));
    line(123, "TOTAL CHELTUIELI", bench::formulaOfLines(111, 122));
    line(124, "Sold final", "1+50-123");
    // a line naming a later formula line, and some comparisons
    line(125, "Diferenta subtotaluri", "126-111");
    line(126, "Subtotal dublu", "42+43");
    for (int k = 0; k < 5; ++k)
        line(127 + k, "Comparatie " + std::to_string(k), std::to_string(42 + k) + "-" + std::to_string(111 + k));
    data::insertRows(g_db + "Bilant.DB", {"Nr_rand", "Denumire", "Prevederi", "Executie", "Formula"}, lines);

    const Date start{2014, 1, 1};
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 100000; ++i)
        rows.push_back({double(i + 1), start.addDays(i % 365), "Chitanta", 2 + i % 40, "Venit", 10.0 + i % 500,
                        i % 3 ? "Casa" : "Banca"});
    data::insertRows(g_db + "Venituri.DB", {"Nr_act", "Data", "Fel", "Cod_venit", "Explicatie", "Valoarea", "Cont"},
                     rows);
    rows.clear();
    for (int i = 0; i < 100000; ++i)
        rows.push_back({double(i + 1), start.addDays(i % 365), "Factura", 51 + i % 60, "Cheltuiala", 5.0 + i % 300,
                        i % 4 ? "Casa" : "Banca"});
    data::insertRows(g_db + "Cheltuieli.DB",
                     {"Nr_act", "Data", "Fel", "Cod_cheltuiala", "Explicatie", "Valoarea", "Cont"}, rows);
}

void BM_CalcBilant(benchmark::State& state) {
    // the first run after the tables were filled, untimed: files opened and read into the cache
    budget::CalcBilant(Date{2014, 10, 31});
    for (auto _ : state) budget::CalcBilant(Date{2014, 10, 31});
    auto r = data::SqlSession::forDirectory(g_db).select("SELECT Executie FROM Bilant WHERE Nr_rand = 124");
    state.SetLabel("sold final " + r.rows.at(0).at(0).toString());
}
BENCHMARK(BM_CalcBilant)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// From 15 February to 31 October: two computations, the copy and the difference.
void BM_CalcBilantPerioada(benchmark::State& state) {
    for (auto _ : state) budget::CalcBilantPerioada(Date{2014, 2, 15}, Date{2014, 10, 31}, 2014);
    auto r = data::SqlSession::forDirectory(g_db).select("SELECT Executie FROM Bilant WHERE Nr_rand = 1");
    if (r.rows.at(0).at(0).toDouble() != 0.0) state.SkipWithError("the opening balance is not 0 for a period");
}
BENCHMARK(BM_CalcBilantPerioada)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// The menu command: the budget as at today, then the modal window, timed
// until the window is shown and exposed (then it is closed, untimed).
void BM_OpenBilantFromMenu(benchmark::State& state) {
    data::setToday(Date{2014, 10, 31});
    for (auto _ : state) {
        const double shownMs = bench::msUntilModalShown([] { budget::OpenBilant(nullptr); });
        if (shownMs < 0) {
            state.SkipWithError("the window did not open");
            break;
        }
        state.SetIterationTime(shownMs / 1000.0);
    }
    data::setToday(std::nullopt);
}
BENCHMARK(BM_OpenBilantFromMenu)->Unit(benchmark::kMillisecond)->Iterations(10)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, "budget", g_db, fillDatabase,
                                      {{"BM_CalcBilant", "Budget as at a date", 150},
                                       {"BM_CalcBilantPerioada", "Budget for a period", 400},
                                       {"BM_OpenBilantFromMenu", "Budget window opened from the menu", 300}});
}
