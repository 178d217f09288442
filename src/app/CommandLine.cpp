#include "app/CommandLine.h"

#include <exception>
#include <filesystem>
#include <ostream>

#include "app/Version.h"
#include "data/Install.h"

namespace app {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    auto invalid = [&](const std::string& why) {
        cl.mode = CommandLine::Mode::Invalid;
        cl.error = why;
        return cl;
    };
    bool modeSet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        CommandLine::Mode m;
        bool takesDir = false;
        std::string inlineDir;
        bool hasInline = false;
        auto option = [&](const char* name) {
            const std::string n = name;
            if (a == n) return true;
            if (a.rfind(n + "=", 0) == 0) {
                inlineDir = a.substr(n.size() + 1);
                hasInline = true;
                return true;
            }
            return false;
        };
        if (a == "--help" || a == "-h") {
            m = CommandLine::Mode::Help;
        } else if (a == "--version") {
            m = CommandLine::Mode::Version;
        } else if (option("--dir")) {
            m = CommandLine::Mode::Run;
            takesDir = true;
        } else if (option("--init-db")) {
            m = CommandLine::Mode::InitDb;
            takesDir = true;
        } else if (option("--import-paradox")) {
            m = CommandLine::Mode::ImportParadox;
            takesDir = true;
        } else {
            return invalid("argument necunoscut: " + a);
        }
        // --import-paradox goes with --dir, the directory it creates
        const bool pairs =
            (m == CommandLine::Mode::ImportParadox && cl.mode == CommandLine::Mode::Run) ||
            (m == CommandLine::Mode::Run && cl.mode == CommandLine::Mode::ImportParadox && cl.dir.empty());
        if (modeSet && !pairs) return invalid("se poate da o singura optiune");
        modeSet = true;
        if (m != CommandLine::Mode::Run) cl.mode = m;
        if (takesDir) {
            if (!hasInline) {
                if (i + 1 >= args.size()) return invalid("lipseste directorul dupa " + a);
                inlineDir = args[++i];
            }
            if (inlineDir.empty()) return invalid("directorul dat dupa " + a + " este gol");
            (m == CommandLine::Mode::ImportParadox ? cl.source : cl.dir) = inlineDir;
        }
    }
    if (cl.mode == CommandLine::Mode::ImportParadox && cl.dir.empty())
        return invalid("--import-paradox cere si --dir DIRECTOR (instalarea noua)");
    return cl;
}

bool runsWithoutWindows(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h" || a == "--version" || a == "--init-db" || a.rfind("--init-db=", 0) == 0 ||
            a == "--import-paradox" || a.rfind("--import-paradox=", 0) == 0)
            return true;
    return false;
}

std::string usageText() {
    return "Utilizare:\n"
           "  Corvalinde                   porneste programul; baza de date este in directorul programului\n"
           "  Corvalinde --dir DIRECTOR    porneste programul cu baza de date din DIRECTOR\n"
           "  Corvalinde --init-db DIRECTOR\n"
           "                               creeaza o instalare noua (tabelele bazei de date) in DIRECTOR\n"
           "  Corvalinde --import-paradox SURSA --dir DIRECTOR\n"
           "                               creeaza in DIRECTOR o instalare noua cu datele tabelelor Paradox din SURSA\n"
           "  Corvalinde --help            afiseaza acest text\n"
           "  Corvalinde --version         afiseaza versiunea programului\n";
}

std::string versionLine() { return "Corvalinde " + currentVersionText() + "\n"; }

int runInitDb(const std::string& dir, std::ostream& out, std::ostream& err) {
    try {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (!std::filesystem::is_directory(dir)) {
            err << "Corvalinde: nu pot crea directorul " << dir << "\n";
            return 1;
        }
        for (const std::string& name : data::createInstallation(dir)) out << name << "\n";
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "Corvalinde: instalarea nu a fost creata in " << dir << ": " << e.what() << "\n";
        return 1;
    }
}

}  // namespace app
