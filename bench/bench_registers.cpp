// Rebuilding the register work table: a year of one parish's documents
// (10,000 receipts, 10,000 payments, 1,000 deposits, 1,000 withdrawals) and a
// large unit's year (100,000 receipts, 100,000 payments, 10,000 deposits,
// 10,000 withdrawals; target: under 1 s).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Query.h"
#include "registers/CalcRegistru.h"

using namespace data;

namespace {

// A new installation holding `documents` receipts and payments (half each,
// two thirds in cash) and `moves` deposits and withdrawals (half each),
// spread over the working year 2014.
std::map<std::pair<int, int>, std::string> made;

const std::string& database(int documents, int moves) {
    auto& dir = made[{documents, moves}];
    if (!dir.empty()) return dir;
    dir = bench::makeTempDir("reg");
    bench::makeRegisterUnit(dir, documents, moves);
    return dir;
}

void BM_CalcRegistru(benchmark::State& st) {
    const std::string& dir = database(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    for (auto _ : st) registers::CalcRegistru(dir);
    Query q;
    q.setDatabaseName(dir);
    q.setSql("SELECT COUNT(*) AS N FROM \"Registru.DB\"");
    q.open();
    st.counters["rows"] = q.fieldByName("N").asFloat();
}

void BM_CalcRegistruCheltuiala(benchmark::State& st) {
    const std::string& dir = database(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
    for (auto _ : st) registers::CalcRegistruCheltuiala(18, dir);
}

BENCHMARK(BM_CalcRegistru)->Args({20000, 2000})->Args({200000, 20000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcRegistruCheltuiala)->Args({20000, 2000})->Args({200000, 20000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] {
        for (const auto& [size, dir] : made) bench::removeDir(dir);
    });
}
