// The deanery office's centralised budget: a tree of 500 units (250 parishes
// and 250 monasteries, each with its directory and budget), budgets of 120
// lines of which 30 are formulas, a centralised budget of 120 lines mapped to
// the office's and the two groups' lines.
//
// Targets: the window opened from the menu (tree read and shown) under
// 300 ms; "&Calculare" of a group's budget under 100 ms; "C&entralizare"
// under 100 ms (both with their progress window).
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <benchmark/benchmark.h>

#include "WindowBenchMain.h"

#include <filesystem>
#include <string>
#include <vector>

#include "budget/BilantCentralUnt.h"
#include "budget/CalcBilant.h"
#include "budget/CalculBilantUnt.h"
#include "budget/UnitTree.h"
#include "data/AppDir.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"

using data::Value;

namespace {

std::string g_db;

// 120 lines: 90 typed, 30 formulas (subtotals, totals, a forward reference).
std::vector<std::vector<Value>> budgetLines(double scale, bool mapping) {
    std::vector<std::vector<Value>> lines;
    auto line = [&](int nr, const std::string& name, Value formula = Value()) {
        std::vector<Value> r{nr, name, scale * (nr % 7), scale * (nr % 5), formula};
        if (mapping) r.insert(r.end(), {nr, nr, nr});
        lines.push_back(std::move(r));
    };
    for (int n = 1; n <= 45; ++n) line(n, "Venit " + std::to_string(n));
    for (int g = 0; g < 9; ++g)
        line(46 + g, "Subtotal venituri " + std::to_string(g), bench::formulaOfLines(1 + 5 * g, 5 + 5 * g));
    line(55, "TOTAL VENITURI", bench::formulaOfLines(46, 54));
    for (int n = 56; n <= 100; ++n) line(n, "Cheltuiala " + std::to_string(n));
    for (int g = 0; g < 15; ++g)
        line(101 + g, "Subtotal cheltuieli " + std::to_string(g), bench::formulaOfLines(56 + 3 * g, 58 + 3 * g));
    line(116, "TOTAL CHELTUIELI", bench::formulaOfLines(101, 115));
    line(117, "Sold final", "1+55-116");
    line(118, "Diferenta", "119-101");  // names a later formula line
    line(119, "Subtotal dublu", "46+47");
    line(120, "Comparatie", "46-101");
    return lines;
}

void replaceBudget(const std::string& dir, const char* file, double scale, bool mapping = false) {
    data::SqlSession::forDirectory(dir).execute(std::string("DELETE FROM ") + data::quoteIdent(file));
    std::vector<std::string> cols{"Nr_rand", "Denumire", "Prevederi", "Executie", "Formula"};
    if (mapping) cols.insert(cols.end(), {"Rd_oficiu", "Rd_paroh", "Rd_manast"});
    data::insertRows(data::withSlash(dir) + file, cols, budgetLines(scale, mapping));
}

void fillDatabase() {
    data::createInstallation(g_db);
    data::setAppDir(g_db);
    replaceBudget(g_db, "Bilant.DB", 1.0);
    replaceBudget(g_db, "BilantParohGol.DB", 0.0);
    replaceBudget(g_db, "BilantManastGol.DB", 0.0);
    replaceBudget(g_db, "BilantCentral.DB", 0.0, true);
    replaceBudget(budget::groupDirectory(g_db, budget::kParohii), "Bilant.DB", 10.0);
    replaceBudget(budget::groupDirectory(g_db, budget::kManastiri), "Bilant.DB", 100.0);
    budget::TreeLines tree{{0, "PROTOPOPIAT"}, {1, "OFICIU"}};
    for (const char* group : {budget::kParohii, budget::kManastiri}) {
        tree.push_back({1, group});
        for (int i = 0; i < 250; ++i) {
            const std::string name = std::string(group == budget::kParohii ? "Parohia " : "Manastirea ") +
                                     std::to_string(i) + " Sfantul Nicolae";
            budget::createUnitDirectory(g_db, group, name);
            budget::copyUnitTemplate(g_db, group, name);
            tree.push_back({2, name});
        }
    }
    budget::writeTreeFile(g_db, tree);
}

// The menu command, timed until the window is shown and exposed (then it is
// closed, untimed).
void BM_OpenBilantCentral(benchmark::State& state) {
    for (auto _ : state) {
        int nodes = 0;
        const double shownMs = bench::msUntilModalShown([] { budget::OpenBilantCentral(nullptr); },
                                                        [&](QWidget* w) {
                                                            if (auto* tv = w->findChild<QTreeWidget*>("TV"))
                                                                for (QTreeWidgetItemIterator it(tv); *it; ++it) ++nodes;
                                                        });
        if (shownMs < 0) {
            state.SkipWithError("the window did not open");
            break;
        }
        state.SetIterationTime(shownMs / 1000.0);
        state.SetLabel(std::to_string(nodes) + " nodes shown");
    }
}
BENCHMARK(BM_OpenBilantCentral)->Unit(benchmark::kMillisecond)->Iterations(10)->UseManualTime();

// "&Calculare" on the parishes' group budget, with its progress window.
void BM_Calculare(benchmark::State& state) {
    const std::string dir = budget::groupDirectory(g_db, budget::kParohii);
    budget::CalcBilantSubunitate(dir);  // untimed: files opened and read into the cache
    for (auto _ : state) {
        budget::CalcBilantProgress progress(nullptr);
        budget::CalcBilantSubunitate(dir, progress.callbacks());
    }
    auto r = data::SqlSession::forDirectory(dir).select("SELECT Prevederi FROM \"Bilant.DB\" WHERE Nr_rand = 117");
    state.SetLabel("sold final " + r.rows.at(0).at(0).toString());
}
BENCHMARK(BM_Calculare)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// "C&entralizare" over 120 lines, with its progress window.
void BM_Centralizare(benchmark::State& state) {
    budget::CentralizBilant(g_db);
    for (auto _ : state) {
        budget::CalcBilantProgress progress(nullptr);
        budget::CentralizBilant(g_db, progress.callbacks());
    }
    auto r =
        data::SqlSession::forDirectory(g_db).select("SELECT Prevederi FROM \"BilantCentral.DB\" WHERE Nr_rand = 3");
    state.SetLabel("line 3 " + r.rows.at(0).at(0).toString());
}
BENCHMARK(BM_Centralizare)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, "central", g_db, fillDatabase,
                                      {{"BM_OpenBilantCentral", "Window with a 500-unit tree opened", 300},
                                       {"BM_Calculare", "Calculare on 120 lines, 30 formulas", 100},
                                       {"BM_Centralizare", "Centralizare over 120 lines", 100}});
}
