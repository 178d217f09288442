#include "app/CommandLine.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "app/Backup.h"
#include "app/NewYearCmd.h"
#include "app/ReportCommands.h"
#include "app/Version.h"
#include "budget/BudgetCommands.h"
#include "data/AppDir.h"
#include "data/Install.h"
#include "data/Journal.h"
#include "import/ImportParadox.h"

namespace app {

namespace {

int runHelp(const CommandLine&, std::ostream& out, std::ostream&) {
    out << usageText();
    return 0;
}

int runVersion(const CommandLine&, std::ostream& out, std::ostream&) {
    out << versionLine();
    return 0;
}

int runInit(const CommandLine& cl, std::ostream& out, std::ostream& err) { return runInitDb(cl.dir, out, err); }

int runImport(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    return paradox::runImportParadox(cl.value("--import-paradox"), cl.dir, out, err);
}

int runPassage(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    return runNewYear(cl.dir.empty() ? data::defaultDatabaseDirectory(data::programDirectory()) : cl.dir, out, err);
}

int runListCopies(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    return runListBackups(out, err);
}

int runRestore(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    return runRestoreBackup(cl.value("--restore"), out, err, std::cin);
}

int runCopyTo(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    return runBackupTo(cl.value("--backup"), out, err);
}

int runVerifyJournal(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    const data::journal::Verification v = data::journal::verify(data::AppDir());
    (v.intact ? out : err) << v.message << "\n";
    return v.intact ? 0 : 1;
}

int runExportBudget(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!cl.has("--to") || !cl.has("--out")) {
        err << "Corvalinde: --export-budget cere --to ZZ.LL.AAAA si --out FISIER\n";
        return 2;
    }
    if (!useDatabaseDirectory(cl, err)) return 1;
    const std::optional<std::string> from = cl.has("--from") ? std::optional(cl.value("--from")) : std::nullopt;
    return budget::runExportBudget(from, cl.value("--to"), cl.value("--out"), out, err);
}

int runTakeOverBudget(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    std::vector<std::string> files{cl.value("--take-over-budget")};
    files.insert(files.end(), cl.moreFiles.begin(), cl.moreFiles.end());
    return budget::runTakeOverBudget(files, cl.value("--group"), out, err);
}

int runSumUnits(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    return budget::runSumUnits(cl.value("--sum-units"), out, err);
}

int runCentralize(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!useDatabaseDirectory(cl, err)) return 1;
    return budget::runCentralize(out, err);
}

// The option's entry in any command's list; nullptr for an unknown option.
const Option* optionEntry(const std::string& option) {
    for (const CommandEntry& c : commands())
        for (const Option& a : c.accepts)
            if (option == a.name) return &a;
    return nullptr;
}

bool takesValue(const std::string& option) {
    for (const CommandEntry& c : commands())
        if (c.option && option == c.option) return c.value != nullptr;
    const Option* o = optionEntry(option);
    return o && o->takesValue;
}

const CommandEntry* namedBy(const std::string& option) {
    const std::string o = option == "-h" ? "--help" : option;
    for (const CommandEntry& c : commands())
        if (c.option && o == c.option) return &c;
    return nullptr;
}

bool isKnown(const std::string& option) { return namedBy(option) || optionEntry(option); }

// The option of an argument: "--out" of "--out=x.pdf" and of "--out".
std::string optionOf(const std::string& arg) {
    const size_t eq = arg.find('=');
    return arg.rfind("--", 0) == 0 && eq != std::string::npos ? arg.substr(0, eq) : arg;
}

}  // namespace

const std::vector<CommandEntry>& commands() {
    using Mode = CommandLine::Mode;
    static const std::vector<CommandEntry> table = {
        {Mode::Run,
         nullptr,
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Windows,
         "  Corvalinde                   porneste programul; baza de date este in directorul programului,\n"
         "                               iar cand acesta nu se poate scrie (programul instalat) in\n"
         "                               $XDG_DATA_HOME/Corvalinde (de obicei ~/.local/share/Corvalinde)\n"
         "  Corvalinde --dir DIRECTOR    porneste programul cu baza de date din DIRECTOR\n",
         nullptr},
        {Mode::InitDb,
         "--init-db",
         "DIRECTOR",
         true,
         {},
         Runs::Plain,
         "  Corvalinde --init-db DIRECTOR\n"
         "                               creeaza o instalare noua (tabelele bazei de date) in DIRECTOR\n",
         runInit},
        {Mode::Balances,
         "--balances",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --balances\n"
         "                               afiseaza soldul casei si al bancii\n",
         runBalances},
        {Mode::ListReports,
         "--list-reports",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --list-reports\n"
         "                               afiseaza rapoartele care se pot lista cu --report\n",
         runListReports},
        {Mode::Report, "--report", "NUME", false, reportOptions(), Runs::Offscreen,
         "  Corvalinde [--dir DIRECTOR] --report NUME [--from ZZ.LL.AAAA] [--to ZZ.LL.AAAA]\n"
         "             [--date ZZ.LL.AAAA] [--code N] [--number N] [--column Prevederi|Executie]\n"
         "             [--expenses-new-page] [--table TABELA] [--action MODIFICARE] [--group GRUPA]\n"
         "             [--font-size N] --out FISIER\n"
         "                               listeaza raportul NUME in FISIER fara fereastra: paginile din\n"
         "                               previzualizare (.pdf, .html, .txt) sau datele lui ca tabel\n"
         "                               (.xlsx, .csv, .table.html)\n",
         runReport},
        {Mode::ExportDocuments,
         "--export-documents",
         nullptr,
         false,
         {{"--dir", true}, {"--from", true}, {"--to", true}, {"--out", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --export-documents [--from ZZ.LL.AAAA] [--to ZZ.LL.AAAA] --out FISIER\n"
         "                               scrie incasarile, platile, depunerile si ridicarile perioadei, cu\n"
         "                               toate campurile, in FISIER (.xlsx: o foaie pe fel; .csv: un fisier)\n",
         runExportDocuments},
        {Mode::NewYear,
         "--new-year",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --new-year\n"
         "                               trecerea la anul urmator in DIRECTOR (intreaba in terminal)\n",
         runPassage},
        {Mode::ImportParadox,
         "--import-paradox",
         "SURSA",
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde --import-paradox SURSA --dir DIRECTOR\n"
         "                               creeaza in DIRECTOR o instalare noua cu datele tabelelor Paradox din SURSA\n",
         runImport,
         true},
        {Mode::ListBackups,
         "--list-backups",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --list-backups\n"
         "                               afiseaza copiile de siguranta ale instalarii, cea mai noua la urma\n",
         runListCopies},
        {Mode::RestoreBackup,
         "--restore",
         "NUME",
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --restore NUME\n"
         "                               inlocuieste datele cu cele din copia de siguranta NUME (intreaba in "
         "terminal)\n",
         runRestore},
        {Mode::BackupTo,
         "--backup",
         "DESTINATIE",
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --backup DESTINATIE\n"
         "                               scrie acum o copie de siguranta a instalarii in DESTINATIE\n",
         runCopyTo},
        {Mode::VerifyJournal,
         "--verify-journal",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --verify-journal\n"
         "                               verifica lantul jurnalului modificarilor; numeste prima intrare\n"
         "                               alterata (cod de iesire 1)\n",
         runVerifyJournal},
        {Mode::ExportBudget,
         "--export-budget",
         nullptr,
         false,
         {{"--dir", true}, {"--from", true}, {"--to", true}, {"--out", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --export-budget --to ZZ.LL.AAAA [--from ZZ.LL.AAAA] --out FISIER\n"
         "                               calculeaza bugetul unitatii la data (sau pe perioada) si il scrie\n"
         "                               in FISIER, pentru protopopiat\n",
         runExportBudget},
        {Mode::TakeOverBudget,
         "--take-over-budget",
         "FISIER",
         false,
         {{"--dir", true}, {"--group", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --take-over-budget FISIER...|DOSAR [--group PAROHII|MANASTIRI]\n"
         "                               preia bugetul unei unitati (sau toate bugetele *.json din DOSAR);\n"
         "                               o unitate care lipseste din structura se adauga la grupa data\n",
         runTakeOverBudget},
        {Mode::SumUnits,
         "--sum-units",
         "GRUPA",
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --sum-units PAROHII|MANASTIRI\n"
         "                               bugetul grupei ca suma bugetelor unitatilor ei\n",
         runSumUnits},
        {Mode::Centralize,
         "--centralize",
         nullptr,
         false,
         {{"--dir", true}},
         Runs::Plain,
         "  Corvalinde [--dir DIRECTOR] --centralize\n"
         "                               calculeaza bugetul centralizat din bugetele oficiului si grupelor\n",
         runCentralize},
        {Mode::Help,
         "--help",
         nullptr,
         false,
         {},
         Runs::Plain,
         "  Corvalinde --help            afiseaza acest text\n",
         runHelp},
        {Mode::Version,
         "--version",
         nullptr,
         false,
         {},
         Runs::Plain,
         "  Corvalinde --version         afiseaza versiunea programului\n",
         runVersion},
    };
    return table;
}

const CommandEntry& commandFor(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string option = optionOf(args[i]);
        if (const CommandEntry* c = namedBy(option)) return *c;
        // the value of an option is never read as an option
        if (takesValue(option) && option == args[i]) ++i;
    }
    return commands().front();
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    auto invalid = [&](const std::string& why) {
        CommandLine bad;
        bad.mode = CommandLine::Mode::Invalid;
        bad.error = why;
        return bad;
    };
    const CommandEntry* command = nullptr;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string option = optionOf(a);
        if (!isKnown(option)) return invalid("argument necunoscut: " + a);
        const bool valueGiven = option != a;  // "--out=x.pdf"
        if (option == "-h") option = "--help";
        std::string value;
        if (takesValue(option)) {
            if (valueGiven) {
                value = a.substr(option.size() + 1);
            } else {
                if (i + 1 >= args.size()) return invalid("lipseste valoarea dupa " + a);
                value = args[++i];
            }
            if (value.empty()) return invalid("valoarea data dupa " + option + " este goala");
            // several budget files in one go: the arguments up to the next option
            if (option == "--take-over-budget")
                while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) cl.moreFiles.push_back(args[++i]);
        } else if (valueGiven) {
            return invalid(option + " nu primeste o valoare");
        }
        if (cl.has(option)) return invalid("optiunea " + option + " este data de doua ori");
        if (const CommandEntry* c = namedBy(option)) {
            if (command) return invalid("se poate da o singura comanda");
            command = c;
        }
        cl.options[option] = value;
    }
    if (!command) command = &commands().front();
    cl.mode = command->mode;
    for (const auto& [option, value] : cl.options) {
        if (command->option && option == command->option) continue;
        if (std::none_of(command->accepts.begin(), command->accepts.end(),
                         [&](const Option& a) { return option == a.name; }))
            return invalid(command->option ? "optiunea " + option + " nu se foloseste cu " + command->option
                                           : "optiunea " + option + " cere o comanda (--report ...)");
    }
    if (command->needsDir && !cl.has("--dir"))
        return invalid(std::string(command->option) + " cere si --dir DIRECTOR (instalarea noua)");
    if (command->valueIsDir)
        cl.dir = cl.value(command->option);
    else
        cl.dir = cl.value("--dir");
    return cl;
}

bool runsWithoutWindows(const std::vector<std::string>& args) { return commandFor(args).runs != Runs::Windows; }

int runCommand(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    data::journal::setProgramVersion(currentVersionText());
    for (const CommandEntry& c : commands())
        if (c.mode == cl.mode && c.run) return c.run(cl, out, err);
    err << "Corvalinde: " << (cl.error.empty() ? std::string("argumente nepotrivite") : cl.error) << "\n\n"
        << usageText();
    return 2;
}

std::string usageText() {
    std::string text = "Utilizare:\n";
    for (const CommandEntry& c : commands()) text += c.usage;
    return text;
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

bool useDatabaseDirectory(const CommandLine& cl, std::ostream& err) {
    std::error_code ec;
    if (cl.dir.empty()) {
        const std::string dir = data::defaultDatabaseDirectory(data::programDirectory());
        // the user's data folder is made at the first start, for the user alone
        if (!std::filesystem::is_directory(dir, ec)) {
            std::filesystem::create_directories(dir, ec);
            std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
        }
        if (!std::filesystem::is_directory(dir, ec)) {
            err << "Corvalinde: nu pot crea directorul bazei de date " << dir << "\n";
            return false;
        }
        data::setAppDir(dir);
        return true;
    }
    if (!std::filesystem::is_directory(cl.dir, ec)) {
        err << "Corvalinde: directorul bazei de date nu exista: " << cl.dir << "\n";
        return false;
    }
    data::setAppDir(std::filesystem::absolute(cl.dir, ec).string());
    return true;
}

}  // namespace app
