// The passage to a new working year of a large unit: 100,000 receipts and
// 100,000 payments of 2014 (with 10,000 deposits and 10,000 withdrawals), a
// thousand documents already typed for 2015. Timed: the whole passage, the
// archive of the directory included (every file copied and synced), the
// transaction over the seven tables and its commit. Each run starts from a
// fresh copy of the unit (not timed). Target: under 3 s.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "yearend/NewYear.h"

namespace fs = std::filesystem;

namespace {

const std::string& master() {
    static const std::string dir = [] {
        const std::string d = bench::makeTempDir("newyear-master");
        data::createInstallation(d);
        data::SqlSession::forDirectory(d).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2014");
        data::SqlSession::forDirectory(d).execute("DELETE FROM \"Contor.DB\"");
        data::insertRows(d + "Contor.DB", {"Sold_init_casa", "Sold_init_banca"}, {{1234.56, 98765.43}});
        bench::fillYearOfDocuments(d);
        std::vector<std::vector<data::Value>> later;
        for (int i = 0; i < 1000; ++i)
            later.push_back({double(200001 + i), data::Date{2015, 1, 1}.addDays(i % 30), "Chitanta", 2, "Donatie",
                             10.0 + i, "Casa"});
        data::insertRows(d + "Venituri.DB", {"Nr_act", "Data", "Fel", "Cod_venit", "Explicatie", "Valoarea", "Cont"},
                         later);
        return d;
    }();
    return dir;
}

void BM_PassageWithArchive(benchmark::State& st) {
    const std::string& from = master();
    long long documents = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const std::string dir = bench::makeTempDir("newyear");
        fs::copy(from, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        st.ResumeTiming();
        const yearend::Closing c = yearend::passNewYear(dir, 2014);
        st.PauseTiming();
        documents = c.documents;
        bytes = 0;
        for (const auto& e : fs::recursive_directory_iterator(c.archiveDir))
            if (e.is_regular_file()) bytes += e.file_size();
        std::error_code ec;
        fs::remove_all(dir, ec);
        st.ResumeTiming();
    }
    st.counters["documents"] = static_cast<double>(documents);
    st.counters["archive_MB"] = static_cast<double>(bytes) / (1 << 20);
}

BENCHMARK(BM_PassageWithArchive)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] { bench::removeDir(master()); });
}
