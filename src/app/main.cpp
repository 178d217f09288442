// Program entry: the command line, the database directory, the main window.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/MainFrm.h"
#include "app/Version.h"
#include "data/AppDir.h"
#include "import/ImportParadox.h"

#ifndef CORVALINDE_VERSION
#define CORVALINDE_VERSION "0.0.0.0"
#endif

namespace {

std::vector<std::string> argsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// Answers the requests that need no window; returns the exit code.
int runWithoutWindows(const app::CommandLine& cl) {
    switch (cl.mode) {
        case app::CommandLine::Mode::Help: std::cout << app::usageText(); return 0;
        case app::CommandLine::Mode::Version: std::cout << app::versionLine(); return 0;
        case app::CommandLine::Mode::InitDb: return app::runInitDb(cl.dir, std::cout, std::cerr);
        case app::CommandLine::Mode::ImportParadox:
            return paradox::runImportParadox(cl.source, cl.dir, std::cout, std::cerr);
        default: std::cerr << "Corvalinde: " << cl.error << "\n\n" << app::usageText(); return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    app::setBuildVersion(CORVALINDE_VERSION);

    std::vector<std::string> args = argsOf(argc, argv);
    if (app::runsWithoutWindows(args)) {
        app::CommandLine cl = app::parseCommandLine(args);
        if (cl.mode == app::CommandLine::Mode::Run) {
            cl.mode = app::CommandLine::Mode::Invalid;
            cl.error = "argumente nepotrivite";
        }
        return runWithoutWindows(cl);
    }

    // The toolkit takes its own options (-platform, ...) off the command line first.
    app::Application application(argc, argv);
    app::CommandLine cl = app::parseCommandLine(argsOf(argc, argv));
    if (cl.mode != app::CommandLine::Mode::Run) return runWithoutWindows(cl);

    if (cl.dir.empty()) {
        data::setAppDir(data::programDirectory());
    } else {
        std::error_code ec;
        if (!std::filesystem::is_directory(cl.dir, ec)) {
            std::cerr << "Corvalinde: directorul bazei de date nu exista: " << cl.dir << "\n";
            return 1;
        }
        data::setAppDir(std::filesystem::absolute(cl.dir, ec).string());
    }
    app::initFormatSettingsFromLocale();

    app::TMainFrm mainFrm;
    QObject::connect(&mainFrm, &app::TMainFrm::closed, &application, &QApplication::quit, Qt::QueuedConnection);
    mainFrm.showMaximized();
    return application.exec();
}
