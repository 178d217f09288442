// Program entry: the command line, the database directory, the main window.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/FirstStart.h"
#include "app/MainFrm.h"
#include "app/Version.h"
#include "data/AppDir.h"

#ifndef CORVALINDE_VERSION
#define CORVALINDE_VERSION "0.0.0.0"
#endif
// Where the installed program lives ("/usr/bin"); it keeps its tables in the
// user's data folder.
#ifndef CORVALINDE_INSTALL_BINDIR
#define CORVALINDE_INSTALL_BINDIR ""
#endif

namespace {

std::vector<std::string> argsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// An option the toolkit takes off the command line itself ("-platform
// offscreen", "--style=Fusion"): such a command line is read once it has.
bool toolkitOption(const std::string& arg) {
    static const std::string kNames =
        " platform platformpluginpath platformtheme plugin qwindowgeometry qwindowicon qwindowtitle reverse session"
        " display geometry style stylesheet widgetcount qmljsdebugger dialogs fontengine name title visual nograb"
        " dograb sync ";
    if (arg.size() < 2 || arg[0] != '-') return false;
    std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
    name = name.substr(0, name.find('='));
    return !name.empty() && kNames.find(" " + name + " ") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    app::setBuildVersion(CORVALINDE_VERSION);
    data::setInstalledProgramDirectory(CORVALINDE_INSTALL_BINDIR);

    const app::CommandEntry& command = app::commandFor(argsOf(argc, argv));
    if (command.runs == app::Runs::Plain) {
        app::CommandLine cl = app::parseCommandLine(argsOf(argc, argv));
        if (cl.mode == app::CommandLine::Mode::Run) cl.mode = app::CommandLine::Mode::Invalid;
        return app::runCommand(cl, std::cout, std::cerr);
    }
    // A bad command line is answered without starting the toolkit: it may
    // need a display there is none of.
    if (command.runs == app::Runs::Windows) {
        const std::vector<std::string> args = argsOf(argc, argv);
        const app::CommandLine cl = app::parseCommandLine(args);
        if (cl.mode == app::CommandLine::Mode::Invalid && std::none_of(args.begin(), args.end(), toolkitOption))
            return app::runCommand(cl, std::cout, std::cerr);
    }
    // A command without windows needs no display: the platform is chosen here,
    // before the toolkit starts.
    if (command.runs == app::Runs::Offscreen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Standard error carries the program's own messages: the toolkit's
        // notes (a missing runtime directory and the like) are left out.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
        });
    }

    // The toolkit takes its own options (-platform, ...) off the command line first.
    app::Application application(argc, argv);
    app::CommandLine cl = app::parseCommandLine(argsOf(argc, argv));
    if (cl.mode != app::CommandLine::Mode::Run) return app::runCommand(cl, std::cout, std::cerr);

    if (!app::useDatabaseDirectory(cl, std::cerr)) return 1;
    app::initFormatSettingsFromLocale();
    // the first start of an installed program: its data folder gets its tables
    if (cl.dir.empty() && !data::keepsTablesBeside(data::programDirectory()) && !app::offerInstallation(data::AppDir()))
        return 0;

    app::TMainFrm mainFrm;
    QObject::connect(&mainFrm, &app::TMainFrm::closed, &application, &QApplication::quit, Qt::QueuedConnection);
    mainFrm.showMaximized();
    return application.exec();
}
