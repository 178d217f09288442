// Import of an older installation with 100,000 receipts and 100,000 payments
// in Paradox tables (written once with pxlib), into a new installation each
// time. Target: under 5 s.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchData.h"
#include "import/ImportParadox.h"
#include "import/ParadoxWriter.h"

namespace fs = std::filesystem;
using data::Date;
using data::Value;

namespace {

fs::path& root() {
    static fs::path r;
    return r;
}

// The old installation: the two document tables, the opening balances, the unit.
fs::path makeSource(int documents) {
    root() = fs::temp_directory_path() / ("cv_bench_import_" + std::to_string(documents));
    fs::remove_all(root());
    const fs::path src = root() / "vechi";
    fs::create_directories(src);
    using namespace pxtest;
    writeTable((src / "Parohia.DB").string(), {{"Parohia", Alpha, 100}, {"An_lucru", Short}},
               {{"Parohia Sf\xE2ntul Ilie", 2024}});
    writeTable((src / "Contor.DB").string(), {{"Sold_init_casa", Money}, {"Sold_init_banca", Money}},
               {{1000.0, 5000.0}});
    std::vector<std::vector<Value>> rows;
    rows.reserve(documents);
    for (int i = 0; i < documents; ++i)
        rows.push_back({i + 1, Date{2024, 1 + i % 12, 1 + i % 28}, "Chitan\xFE\xE3", 2 + i % 12,
                        "Contribu\xFEia enoria\xBAilor", "Contribu\xFEie anual\xE3 pentru biseric\xE3", 10.0 + i % 500,
                        i % 3 ? "Casa" : "Banca", Date{2024, 1 + i % 12, 1 + i % 28}});
    writeTable((src / "Venituri.DB").string(),
               {{"Nr_act", Number},
                {"Data", Day},
                {"Fel", Alpha, 15},
                {"Cod_venit", Short},
                {"Den_venit", Alpha, 100},
                {"Explicatie", Alpha, 100},
                {"Valoarea", Money},
                {"Cont", Alpha, 15},
                {"Data_registru", Day}},
               rows);
    rows.clear();
    for (int i = 0; i < documents; ++i)
        rows.push_back({i + 1, Date{2024, 1 + i % 12, 1 + i % 28}, "OP", 16 + i % 13, "Furnizor utilit\xE3\xFEi",
                        "Factur\xE3 energie electric\xE3", 5.0 + i % 300, i % 2 ? "Casa" : "Banca"});
    writeTable((src / "Cheltuieli.DB").string(),
               {{"Nr_act", Number},
                {"Data", Day},
                {"Fel", Alpha, 15},
                {"Cod_cheltuiala", Short},
                {"Beneficiar", Alpha, 100},
                {"Explicatie", Alpha, 100},
                {"Valoarea", Number},
                {"Cont", Alpha, 15}},
               rows);
    return src;
}

void BM_ImportParadox(benchmark::State& state) {
    const fs::path src = makeSource(static_cast<int>(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        const fs::path dest = root() / ("nou" + std::to_string(n++));
        paradox::ImportSummary s = paradox::importParadox(src.string(), dest.string());
        benchmark::DoNotOptimize(s.soldCasa);
        state.PauseTiming();
        fs::remove_all(dest);
        state.ResumeTiming();
    }
    state.counters["documente"] = static_cast<double>(2 * state.range(0));
}
BENCHMARK(BM_ImportParadox)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] { bench::removeDir(root()); });
}
