// The documents list on 100,000 receipts, 100,000 payments and 10,000
// deposits and withdrawals: opening it (date order with balances), a text
// filter as it grows letter by letter, the filters of the window, sorting by
// a name column and by amount, reading a screen of rows; peak memory as a
// counter (kilobytes).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "BenchData.h"
#include "data/AppDir.h"
#include "entry/DocumentList.h"

namespace {

std::string& dbDir() {
    static std::string d;
    return d;
}

const std::string& unit() {
    if (dbDir().empty()) {
        dbDir() = bench::makeTempDir("documents");
        data::createInstallation(dbDir());
        data::insertRows(dbDir() + "Parohia.DB", {"Parohia", "An_lucru"}, {{"Parohia de proba", 2014}});
        data::insertRows(dbDir() + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1000.0, 5000.0}});
        bench::fillYearOfDocuments(dbDir());
        data::setAppDir(dbDir());
        entry::DocumentList::ensureIndexes();
    }
    return dbDir();
}

entry::DocumentFilter workingYear() {
    entry::DocumentFilter f;
    f.from = data::Date{2014, 1, 1};
    f.to = data::Date{2014, 12, 31};
    return f;
}

void peakMemory(benchmark::State& state) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peak_rss_kb"] = static_cast<double>(u.ru_maxrss);
}

// Opening: the year in date order with the balances, and the first screen of rows.
void BM_OpenList(benchmark::State& state) {
    unit();
    for (auto _ : state) {
        entry::DocumentList list;
        list.load(workingYear());
        for (int i = 0; i < 40 && i < list.size(); ++i) benchmark::DoNotOptimize(list.row(i));
        benchmark::DoNotOptimize(list.size());
    }
    peakMemory(state);
}

// Each letter typed into the text filter, in date order.
void BM_TextFilterTyping(benchmark::State& state) {
    unit();
    entry::DocumentList list;
    const std::string typed = "tamaie";
    size_t n = 0;
    for (auto _ : state) {
        entry::DocumentFilter f = workingYear();
        f.text = typed.substr(0, 1 + n++ % typed.size());
        list.load(f);
        for (int i = 0; i < 40 && i < list.size(); ++i) benchmark::DoNotOptimize(list.row(i));
    }
    peakMemory(state);
}

// Kind, account, type code and amount range together.
void BM_OtherFilters(benchmark::State& state) {
    unit();
    entry::DocumentList list;
    for (auto _ : state) {
        entry::DocumentFilter f = workingYear();
        f.kind = entry::CashDoc::Payment;
        f.account = "Casa";
        f.typeCode = 20;
        f.minAmount = 5000;
        f.maxAmount = 20000;
        list.load(f);
        benchmark::DoNotOptimize(list.size());
    }
}

void BM_Sort(benchmark::State& state) {
    unit();
    entry::DocumentList list;
    const auto column = static_cast<entry::DocColumn>(state.range(0));
    for (auto _ : state) {
        list.load(workingYear(), column, true);
        for (int i = 0; i < 40 && i < list.size(); ++i) benchmark::DoNotOptimize(list.row(i));
    }
    peakMemory(state);
}

}  // namespace

BENCHMARK(BM_OpenList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextFilterTyping)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OtherFilters)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)
    ->Arg(static_cast<int>(entry::DocColumn::Amount))
    ->Arg(static_cast<int>(entry::DocColumn::Number))
    ->Arg(static_cast<int>(entry::DocColumn::Party))
    ->Arg(static_cast<int>(entry::DocColumn::Explanation))
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] { bench::removeDir(dbDir()); });
}
