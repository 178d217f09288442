// The documents export: 100,000 receipts and 100,000 payments of a year to
// .xlsx and to data CSV, with the file's size and the process's peak resident
// memory.
#include <sys/resource.h>

#include <filesystem>

#include "BenchData.h"
#include "data/Engine.h"
#include "export/Documents.h"

namespace {

std::string dir;

const std::string& database() {
    if (dir.empty()) {
        dir = bench::makeTempDir("export");
        data::createInstallation(dir);
        bench::fillYearOfDocuments(dir, 100000, 0);  // 100,000 receipts and 100,000 payments
    }
    return dir;
}

void exportAs(benchmark::State& st, exports::Format format, const char* name) {
    const std::string& db = database();
    const std::string file = db + name;
    exports::DocumentsCount count;
    for (auto _ : st) {
        std::string error;
        if (!exports::exportDocuments(db, {2014, 1, 1}, {2014, 12, 31}, format, file, &error, &count))
            st.SkipWithError(error.c_str());
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    st.counters["documents"] = static_cast<double>(count.total());
    st.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    st.counters["peak_RSS_MB"] = static_cast<double>(use.ru_maxrss) / 1024.0;
}

void BM_ExportDocumentsCsv(benchmark::State& st) { exportAs(st, exports::Format::Csv, "documente.csv"); }
void BM_ExportDocumentsXlsx(benchmark::State& st) { exportAs(st, exports::Format::Xlsx, "documente.xlsx"); }

// CSV first: its peak memory is read before the xlsx run adds its own
BENCHMARK(BM_ExportDocumentsCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportDocumentsXlsx)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] {
        if (!dir.empty()) bench::removeDir(dir);
    });
}
