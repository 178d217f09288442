// The database directory: the program's directory when the program may keep
// its tables beside itself, else the user's data folder; --dir overrides both.
#pragma once
#include <functional>
#include <optional>
#include <string>

namespace data {

// Path with a trailing separator.
const std::string& AppDir();
// Set once at start-up (from the program file's location or --dir).
void setAppDir(const std::string& dir);
// Directory of the running executable.
std::string programDirectory();

// The user's own data folder for the program, with a trailing separator:
// "$XDG_DATA_HOME/Corvalinde/" ("$HOME/.local/share/Corvalinde/" when the
// variable is unset or not an absolute path).
std::string userDataDirectory();
// The directory the program is installed into ("/usr/bin"): an installed
// program keeps no tables beside itself, even where it could write.
void setInstalledProgramDirectory(const std::string& dir);
// Whether a program in `programDir` keeps its tables beside itself: the
// directory is writable and is not the installed program's.
bool keepsTablesBeside(const std::string& programDir);
// The database directory when none is given: `programDir` when it keeps its
// tables, else the user's data folder (both with a trailing separator).
std::string defaultDatabaseDirectory(const std::string& programDir);

// ---- the archive of a closed year
// The passage to a new year leaves the closed year in "Arhiva/<year>", stamped
// by this file (holding the year). An archive is read-only: its tables open
// for reading and every write is refused with closedArchiveMessage, except in
// its correction mode, the one way late documents of a closed year come in.
// The work tables the printouts rebuild (the register, the budget and its
// copies) stay writable, so that the archive's reports still print.
inline constexpr const char* kClosedYearStamp = ".an-inchis";
// The year an archive directory was stamped with; nullopt for any other directory.
std::optional<int> closedYearOf(const std::string& dir);
// The archive directory (with a trailing separator) a file lies in: its own
// directory or one of the three above it holds the stamp; empty for none.
std::string archiveOfFile(const std::string& path);
// Opens the archive in `dir` for correction (or closes it again). Process-wide.
void setArchiveCorrection(const std::string& dir, bool on);
bool archiveCorrectionOn(const std::string& dir);
// Whether writes to the table file are refused: it belongs to an archive not
// open for correction and is not one of the printouts' work tables.
bool closedArchiveFile(const std::string& path);
// The refusal of a write to such a file.
std::string closedArchiveMessage(const std::string& path);

// Adds a field to a table file when it lacks it ("ALTER TABLE ... ADD <field>
// <type>"). `beforeAlter` runs first (the work message and the hourglass);
// nothing runs when the field exists. A file that holds another table than the
// one named (a table copied over it) is refused with the file's name and left
// as it is.
void EnsureField(const std::string& dir, const std::string& tableName, const std::string& field,
                 const std::string& type, const std::function<void()>& beforeAlter = {},
                 const std::function<void()>& afterAlter = {});

}  // namespace data
