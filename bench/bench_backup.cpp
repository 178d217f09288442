// The safety copies of a large unit: 100,000 receipts and 100,000 payments
// (with 10,000 deposits and 10,000 withdrawals) and an archive of a closed
// year beside them. Timed: the close's copy after a change (every file copied
// and synced, the previous copy of that minute replaced; target under 2 s),
// the stamp start-up takes to tell a change at the close (start-up must not
// be slowed), the figures the restore window reads from one copy, and a whole
// restore (the copy staged, checked beforehand, swapped in).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "BenchData.h"
#include "app/Backup.h"
#include "app/Settings.h"
#include "backup/Backups.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"

namespace fs = std::filesystem;

namespace {

const std::string& home() {
    static const std::string dir = bench::makeTempDir("backup-home");
    return dir;
}

const std::string& unit() {
    static const std::string dir = [] {
        const std::string d = bench::makeTempDir("backup-unit");
        data::createInstallation(d);
        data::SqlSession::forDirectory(d).execute("UPDATE \"Parohia.DB\" SET An_lucru = 2014");
        bench::fillYearOfDocuments(d);
        // last year's archive, as the passage leaves it
        fs::create_directories(d + "Arhiva/2013");
        for (const char* t : {"Venituri.DB", "Cheltuieli.DB", "Parohia.DB", "Contor.DB"})
            fs::copy_file(d + t, d + "Arhiva/2013/" + t);
        ::setenv("HOME", home().c_str(), 1);
        data::setAppDir(d);
        data::setToday(data::Date{2014, 12, 30});
        app::switches() = app::Switches{};
        return d;
    }();
    return dir;
}

long long treeBytes(const std::string& dir) {
    long long n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) n += static_cast<long long>(e.file_size());
    return n;
}

void BM_CloseCopyAfterAChange(benchmark::State& st) {
    const std::string& d = unit();
    app::setBackupTime(17, 30);
    std::string copy;
    for (auto _ : st) {
        st.PauseTiming();
        app::noteSessionStart();
        data::insertRows(d + "Venituri.DB", {"Nr_act", "Data", "Valoarea", "Cont"},
                         {{1.0, data::Date{2014, 12, 30}, 5.0, "Casa"}});
        st.ResumeTiming();
        copy = app::BackupAtClose(app::kBackupBasePath);
    }
    if (copy.empty()) return st.SkipWithError("no copy made");
    st.counters["copy_MB"] = static_cast<double>(treeBytes(copy)) / (1 << 20);
}

void BM_StartStamp(benchmark::State& st) {
    unit();
    for (auto _ : st) app::noteSessionStart();
}

void BM_FiguresOfACopy(benchmark::State& st) {
    const std::string& d = unit();
    backup::Figures f;
    for (auto _ : st) f = backup::readFigures(d);
    st.counters["documents"] = static_cast<double>(f.receipts + f.payments + f.deposits + f.withdrawals);
}

void BM_CheckAndRestore(benchmark::State& st) {
    const std::string& d = unit();
    app::setBackupTime(18, 0);
    app::noteSessionStart();
    data::insertRows(d + "Venituri.DB", {"Nr_act", "Data", "Valoarea", "Cont"},
                     {{2.0, data::Date{2014, 12, 30}, 5.0, "Casa"}});
    const std::string copy = app::BackupAtClose(app::kBackupBasePath);
    for (auto _ : st) {
        backup::checkCopy(copy);
        backup::restoreCopy(d, copy);
    }
}

BENCHMARK(BM_CloseCopyAfterAChange)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartStamp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FiguresOfACopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckAndRestore)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, [] {
        bench::removeDir(unit());
        bench::removeDir(home());
    });
}
