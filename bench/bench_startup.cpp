// Start-up of the main window on a database with 100,000 receipts and 100,000
// payments (plus 10,000 deposits and withdrawals), and the daily backup of that
// database against a plain copy of the same files.
//
// Targets: start-up to a shown main window under 0.5 s; the backup within 1.2
// times the plain copy.
#include <QApplication>
#include <QWindow>
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/Backup.h"
#include "app/MainFrm.h"
#include "app/Settings.h"
#include "shell/Messages.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/Install.h"
#include "data/Schema.h"

namespace fs = std::filesystem;

namespace {

std::string g_db, g_home;

using bench::makeTempDir;

void fillDatabase() {
    data::createInstallation(g_db);
    bench::fillYearOfDocuments(g_db);
}

std::string todaysBackup() { return app::backupDirectory(app::kBackupBasePath, data::today()); }

// Builds, shows and waits for the main window to reach the screen.
void startMainWindow() {
    app::TMainFrm frm;
    frm.showMaximized();
    while (!frm.windowHandle() || !frm.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(frm.StatusLine);
}

void BM_StartupToShownMainWindow(benchmark::State& state) {
    fs::create_directories(todaysBackup());  // today's copy exists
    for (auto _ : state) startMainWindow();
}
BENCHMARK(BM_StartupToShownMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_StartupWithFirstBackupOfTheDay(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(g_home + "SalvariQuillmar");
        state.ResumeTiming();
        startMainWindow();
    }
}
BENCHMARK(BM_StartupWithFirstBackupOfTheDay)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_Backup(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(g_home + "SalvariQuillmar");
        state.ResumeTiming();
        app::BackupDaily(app::kBackupBasePath);
    }
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

// The same files copied plainly into a fresh directory.
void BM_PlainCopy(benchmark::State& state) {
    const std::string target = g_home + "plain";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(target);
        state.ResumeTiming();
        fs::create_directories(target);
        for (const auto& e : fs::directory_iterator(g_db)) {
            const std::string n = e.path().filename().string();
            if (!e.is_regular_file() || n[0] == '.' || n.find("Corvalinde") != std::string::npos) continue;
            fs::copy_file(e.path(), target + "/" + n);
        }
    }
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

// Keeps the mean real time of every benchmark for the summary.
class Recorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                ms[r.run_name.function_name] = r.GetAdjustedRealTime();  // in the benchmark's unit (ms)
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);

    g_db = makeTempDir("db");
    g_home = makeTempDir("home");
    ::setenv("HOME", g_home.c_str(), 1);
    std::printf("Filling the database in %s ...\n", g_db.c_str());
    fillDatabase();
    data::setAppDir(g_db);
    ui::Messages::setResponder([](ui::MessageRecord& r) {
        std::fprintf(stderr, "message: %s\n", r.text.toUtf8().constData());
        return int(ui::Ok);
    });
    std::uintmax_t bytes = 0;
    for (const auto& e : fs::directory_iterator(g_db))
        if (e.is_regular_file()) bytes += e.file_size();
    std::printf("Database: %.1f MB\n", bytes / 1e6);

    Recorder rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    auto get = [&](const char* n) { return rec.ms.count(n) ? rec.ms[n] : -1.0; };
    const double startup = get("BM_StartupToShownMainWindow");
    const double backup = get("BM_Backup");
    const double plain = get("BM_PlainCopy");
    if (startup >= 0)
        std::printf("Start-up to a shown main window: %.1f ms (target < 500 ms) %s\n", startup,
                    startup < 500 ? "OK" : "TOO SLOW");
    if (backup >= 0 && plain > 0)
        std::printf("Backup %.1f ms / plain copy %.1f ms = %.2f (target <= 1.20) %s\n", backup, plain, backup / plain,
                    backup / plain <= 1.2 ? "OK" : "TOO SLOW");

    fs::remove_all(g_db);
    fs::remove_all(g_home);
    benchmark::Shutdown();
    return 0;
}
