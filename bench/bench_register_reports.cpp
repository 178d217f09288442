// The register reports over a large unit's year (100,000 receipts, 100,000
// payments, 10,000 deposits, 10,000 withdrawals) and a parish's year (10,000 /
// 10,000 / 1,000 / 1,000): the work table rebuilt, the report's data opened
// (the cash register's filter included) and its pages prepared as a run
// prepares them (the page count first where the report shows it, then the
// output), and the text export of those pages; and the running sums of the
// receipts-and-payments register alone, over every row of the year.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/AppDir.h"
#include "registers/CalcRegistru.h"
#include "registers/RepRegCasaUnt.h"
#include "registers/RepRegUnt.h"
#include "reports/Expression.h"
#include "reports/Report.h"
#include "reports/Render.h"

using namespace data;

namespace {

// A new installation of the working year 2014 with `receipts` receipts and as
// many payments (two thirds in cash), `moves` deposits and as many
// withdrawals, spread evenly over the year.
struct Unit {
    QTemporaryDir dir;
    std::string path;
    Unit(int receipts, int moves) : path(dir.path().toStdString() + "/") {
        bench::makeRegisterUnit(path, 2 * receipts, 2 * moves);
    }
};

Unit& unit(int receipts, int moves) {
    static std::map<std::pair<int, int>, std::unique_ptr<Unit>> made;
    auto& u = made[{receipts, moves}];
    if (!u) u = std::make_unique<Unit>(receipts, moves);
    setAppDir(u->path);
    return *u;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of the process so far, in seconds: a fairer figure than the
// wall clock on a machine shared with other work.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The cash register of an interval: rebuilt (not timed), then opened with its
// filter and prepared twice, as the run does before the preview.
void BM_CashRegister(benchmark::State& st, Date from, Date to) {
    Unit& u = unit(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    int pages = 0;
    for (auto _ : st) {
        st.PauseTiming();
        registers::CalcRegistru(u.path);
        st.ResumeTiming();
        registers::TRepRegCasaFrm frm(nullptr, from, to);
        frm.openData();
        frm.pageCount = frm.Rep.countPages();
        pages = frm.Rep.prepare();
        frm.closeData();
    }
    st.counters["pages"] = pages;
}

void BM_CashRegisterDecember(benchmark::State& st) { BM_CashRegister(st, Date{2014, 12, 1}, Date{2014, 12, 31}); }

// The whole-year receipts-and-payments register, opened and prepared once;
// the process's peak memory after it (run this benchmark alone for the figure)
// and how many of its texts were fitted to their boxes.
void BM_IncasariPlatiYear(benchmark::State& st) {
    Unit& u = unit(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    registers::CalcRegistru(u.path);
    int pages = 0, fitted = 0;
    double open = 0, prepare = 0, cpuOpen = 0, cpuPrepare = 0;
    for (auto _ : st) {
        auto t0 = std::chrono::steady_clock::now();
        const double c0 = cpuSeconds();
        registers::TRepRegFrm frm(nullptr);
        frm.openData();
        auto t1 = std::chrono::steady_clock::now();
        const double c1 = cpuSeconds();
        pages = frm.Rep.prepare();
        auto t2 = std::chrono::steady_clock::now();
        const double c2 = cpuSeconds();
        // the texts drawn smaller than the report's font: amounts too wide for their columns
        fitted = 0;
        for (const reports::Page& page : frm.Rep.prepared().pages)
            for (const reports::PageElement& e : page.elements)
                if (e.kind() == reports::ElementKind::Text && e.font().size < frm.Rep.font.size) ++fitted;
        frm.closeData();
        open += seconds(t1 - t0);
        prepare += seconds(t2 - t1);
        cpuOpen += c1 - c0;
        cpuPrepare += c2 - c1;
    }
    const double n = static_cast<double>(st.iterations());
    st.counters["pages"] = pages;
    st.counters["fitted_texts"] = fitted;
    st.counters["open_ms"] = open / n * 1000;
    st.counters["prepare_ms"] = prepare / n * 1000;
    st.counters["cpu_open_ms"] = cpuOpen / n * 1000;
    st.counters["cpu_prepare_ms"] = cpuPrepare / n * 1000;
    // the most memory the process held, the report's pages at their largest included
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    st.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

// The sixteen running sums of the receipts-and-payments register over the
// year's rows, as the engine adds every row it reads: the time of the pass
// over the rows with the sums, less that of the same pass without them.
void BM_IncasariPlatiYearSums(benchmark::State& st) {
    Unit& u = unit(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    registers::CalcRegistru(u.path);
    registers::TRepRegFrm frm(nullptr);
    frm.openData();
    data::DataSet& ds = *frm.Rep.dataSet();
    std::vector<std::unique_ptr<reports::Expression>> sums;
    for (const auto& band : frm.Rep.bands())
        for (const auto& item : band->items())
            if (item->kind() == reports::ItemKind::Expression) {
                sums.push_back(std::make_unique<reports::Expression>(item->expression));
                sums.back()->bind(
                    [&ds](const QString&, const QString& name) { return ds.findField(name.toStdString()); });
            }
    auto pass = [&](bool summing) {
        const double c0 = cpuSeconds();
        for (auto& e : sums) e->reset();
        for (ds.first(); !ds.eof(); ds.next())
            if (summing)
                for (auto& e : sums) e->accumulate();
        return cpuSeconds() - c0;
    };
    double withSums = 0, rowsOnly = 0;
    for (auto _ : st) {
        withSums += pass(true);
        rowsOnly += pass(false);
    }
    const double n = static_cast<double>(st.iterations());
    st.counters["sums"] = static_cast<double>(sums.size());
    st.counters["rows"] = ds.recordCount();
    frm.closeData();
    st.counters["cpu_rows_ms"] = rowsOnly / n * 1000;
    st.counters["cpu_sums_ms"] = (withSums - rowsOnly) / n * 1000;
}

// A parish's year: rebuild, the whole-year cash register prepared as the run
// prepares it, and its text export, all timed.
void BM_CashRegisterYearWithRebuildAndCsv(benchmark::State& st) {
    Unit& u = unit(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    const QString csv = QString::fromStdString(u.path + "registru.txt");
    int pages = 0;
    double rebuild = 0, prepare = 0, exportCsv = 0, cpuRebuild = 0, cpuPrepare = 0, cpuCsv = 0;
    for (auto _ : st) {
        auto t0 = std::chrono::steady_clock::now();
        const double c0 = cpuSeconds();
        registers::CalcRegistru(u.path);
        auto t1 = std::chrono::steady_clock::now();
        const double c1 = cpuSeconds();
        registers::TRepRegCasaFrm frm(nullptr, Date{2014, 1, 1}, Date{2014, 12, 31});
        frm.openData();
        frm.pageCount = frm.Rep.countPages();
        pages = frm.Rep.prepare();
        auto t2 = std::chrono::steady_clock::now();
        const double c2 = cpuSeconds();
        if (!reports::writeReportFile(frm.Rep.prepared(), csv)) st.SkipWithError("text not written");
        frm.closeData();
        auto t3 = std::chrono::steady_clock::now();
        const double c3 = cpuSeconds();
        rebuild += seconds(t1 - t0);
        prepare += seconds(t2 - t1);
        exportCsv += seconds(t3 - t2);
        cpuRebuild += c1 - c0;
        cpuPrepare += c2 - c1;
        cpuCsv += c3 - c2;
    }
    const double n = static_cast<double>(st.iterations());
    st.counters["pages"] = pages;
    st.counters["rebuild_ms"] = rebuild / n * 1000;
    st.counters["prepare_ms"] = prepare / n * 1000;
    st.counters["csv_ms"] = exportCsv / n * 1000;
    st.counters["cpu_rebuild_ms"] = cpuRebuild / n * 1000;
    st.counters["cpu_prepare_ms"] = cpuPrepare / n * 1000;
    st.counters["cpu_csv_ms"] = cpuCsv / n * 1000;
}

BENCHMARK(BM_CashRegisterDecember)->Args({100000, 10000})->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_IncasariPlatiYear)->Args({100000, 10000})->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_IncasariPlatiYearSums)->Args({100000, 10000})->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_CashRegisterYearWithRebuildAndCsv)->Args({10000, 1000})->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    // --make-unit DIR DOCUMENTS MOVES: only the installation, for timing the
    // program from the command line on it (DIR is made; documents and moves
    // are split half and half between the two kinds of each)
    if (argc == 5 && std::string(argv[1]) == "--make-unit") {
        std::string dir = argv[2];
        if (dir.back() != '/') dir += '/';
        bench::makeRegisterUnit(dir, std::atoi(argv[3]), std::atoi(argv[4]));
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
