// The main of the window benchmarks: the offscreen platform, a database filled
// once in a temporary directory, message boxes answered, and a summary of each
// benchmark's mean time against its target.
#pragma once
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "BenchData.h"
#include "shell/Messages.h"

namespace bench {

struct Target {
    const char* benchmark;
    const char* what;
    double ms;
};

// Keeps the mean time of every benchmark for the summary.
class TargetReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) ms[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

// Milliseconds from the start of `open` (a command that runs a modal dialog)
// until its dialog is shown and exposed; then `shown` looks at it (untimed)
// and the dialog is closed. -1 when no dialog showed.
inline double msUntilModalShown(const std::function<void()>& open, const std::function<void(QWidget*)>& shown = {}) {
    QElapsedTimer clock;
    double ms = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->windowHandle() || !w->windowHandle()->isExposed()) return;
        ms = clock.nsecsElapsed() / 1e6;
        poll.stop();
        if (shown) shown(w);
        static_cast<QDialog*>(w)->reject();
    });
    poll.start(0);
    clock.start();
    open();
    return ms;
}

inline int runWindowBenchmarks(int argc, char** argv, const char* tag, std::string& db,
                               const std::function<void()>& fill, std::initializer_list<Target> targets) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    db = makeTempDir(tag);
    std::printf("Filling the database in %s ...\n", db.c_str());
    fill();
    ui::Messages::setResponder([](ui::MessageRecord& r) {
        std::fprintf(stderr, "message: %s\n", r.text.toUtf8().constData());
        return int(ui::Ok);
    });
    TargetReporter rec;
    benchmark::RunSpecifiedBenchmarks(&rec);
    for (const Target& t : targets) {
        if (!rec.ms.count(t.benchmark)) continue;
        const double v = rec.ms[t.benchmark];
        std::printf("%s: %.1f ms (target < %.0f ms) %s\n", t.what, v, t.ms, v < t.ms ? "OK" : "TOO SLOW");
    }
    std::filesystem::remove_all(db);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
