// The executable's command line: a table of commands, each named by one
// option (the program's window by none), with the other options it takes,
// its lines of the help text, how it runs and what runs it.
//   Corvalinde                  the database directory is the program's directory, or the
//                               user's data folder when the program cannot keep it beside itself
//   Corvalinde --dir DIR        the database directory is DIR
//   Corvalinde --init-db DIR    creates a new installation in DIR and ends
//   Corvalinde --dir DIR --balances | --list-reports | --report NAME ... --out FILE
//   Corvalinde --dir DIR --new-year   the passage to a new working year in DIR
//   Corvalinde --import-paradox SRC --dir DEST
//                               a new installation in DEST from the Paradox tables in SRC
//   Corvalinde --dir DIR --list-backups | --restore NAME | --backup DEST
//                               the installation's safety copies, one restored, one written to DEST
//   Corvalinde --dir DIR --verify-journal   checks the change journal's chain (1 when broken)
//   Corvalinde --help | --version
#pragma once
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Mode {
        Run,
        InitDb,
        Help,
        Version,
        Balances,
        ListReports,
        Report,
        ExportDocuments,
        NewYear,
        ImportParadox,
        ListBackups,
        RestoreBackup,
        BackupTo,
        VerifyJournal,
        ExportBudget,
        TakeOverBudget,
        SumUnits,
        Centralize,
        Invalid
    };
    Mode mode = Mode::Run;
    std::string dir;    // the database directory (--dir, or --init-db's argument); empty: the program's directory
    std::string error;  // for Invalid
    // Every option given, with its value ("" for a switch such as --balances).
    std::map<std::string, std::string> options;
    // The files after the first of an option that takes several
    // ("--take-over-budget a.json b.json").
    std::vector<std::string> moreFiles;

    bool has(const std::string& option) const { return options.count(option) != 0; }
    std::string value(const std::string& option) const {
        auto it = options.find(option);
        return it == options.end() ? std::string() : it->second;
    }
};

// What a command needs before it runs.
enum class Runs {
    Plain,      // nothing: it runs before the toolkit starts
    Offscreen,  // the toolkit on the offscreen platform: no window, no display
    Windows,    // the program's windows
};

// An option a command takes besides its own.
struct Option {
    const char* name;  // "--from"
    bool takesValue;   // "--from 01.01.2014"; false: a switch
};

struct CommandEntry {
    CommandLine::Mode mode;
    const char* option;           // the option naming the command; nullptr: the program's window
    const char* value;            // the name of the option's value in the help text ("DIR"); nullptr: a switch
    bool valueIsDir;              // the option's value is the database directory
    std::vector<Option> accepts;  // the other options it takes
    Runs runs;
    const char* usage;  // its lines of the help text
    // Runs it; returns the process exit code (0 done, 1 failed, 2 bad command line).
    int (*run)(const CommandLine& cl, std::ostream& out, std::ostream& err);
    bool needsDir = false;  // --dir must be given
};

// Every command, in the order of the help text.
const std::vector<CommandEntry>& commands();
// The command the arguments name (the first option naming one); the
// program's window when none does.
const CommandEntry& commandFor(const std::vector<std::string>& args);

// Parses the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);
// Whether the arguments ask for something that needs no window.
bool runsWithoutWindows(const std::vector<std::string>& args);
// Runs the command of `cl`; an Invalid line prints its error and the usage
// text to `err` and gives 2.
int runCommand(const CommandLine& cl, std::ostream& out, std::ostream& err);

std::string usageText();
std::string versionLine();

// Creates a new installation in `dir` (made when missing); prints what it
// created, one name a line, to `out`. On refusal prints the reason to `err`.
// Returns the process exit code: 0 done, 1 refused.
int runInitDb(const std::string& dir, std::ostream& out, std::ostream& err);

// Makes `cl.dir` (the program's directory when empty) the database directory.
// False, with the reason written to `err`, when it is not a directory.
bool useDatabaseDirectory(const CommandLine& cl, std::ostream& err);

}  // namespace app
