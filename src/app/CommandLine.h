// The executable's command line.
//   Corvalinde                  the database directory is the program's directory
//   Corvalinde --dir DIR        the database directory is DIR
//   Corvalinde --init-db DIR    creates a new installation in DIR and ends
//   Corvalinde --import-paradox SRC --dir DEST
//                               a new installation in DEST from the Paradox tables in SRC
//   Corvalinde --help | --version
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Mode { Run, InitDb, ImportParadox, Help, Version, Invalid };
    Mode mode = Mode::Run;
    std::string dir;     // --dir / --init-db argument; empty: the program's directory
    std::string source;  // --import-paradox argument
    std::string error;   // for Invalid
};

// Parses the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);
// Whether the arguments ask for something that needs no window (help,
// version, a new installation, or a mistake to report).
bool runsWithoutWindows(const std::vector<std::string>& args);

std::string usageText();
std::string versionLine();

// Creates a new installation in `dir` (made when missing); prints what it
// created, one name a line, to `out`. On refusal prints the reason to `err`.
// Returns the process exit code: 0 done, 1 refused.
int runInitDb(const std::string& dir, std::ostream& out, std::ostream& err);

}  // namespace app
