// The settings file "Configurari.ini": the switches of section "Options",
// and the values other parts of the program keep there (window sizes and
// column widths). The one module that reads and writes the file.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

// The days a safety copy is kept (never fewer than the last seven copies),
// when the settings do not say.
inline constexpr int kDefaultRetentionDays = 30;
inline constexpr int kMaxRetentionDays = 3650;

// Shared for the whole run; both on until the file has been read.
struct Switches {
    bool versionCheck = true;                   // ask the update server at start-up
    bool backup = true;                         // copy the database directory once a day
    std::string updateServer;                   // "Update server": replaces the update server's host when set
    int retentionDays = kDefaultRetentionDays;  // safety copies older than this are removed
    bool preview = false;                       // the print dialog's "Afisare pe ecran" of the last run
    bool showRecords = false;                   // the parishioner file and the church-shop register in the menu
};
Switches& switches();

// AppDir + "Configurari.ini".
std::string settingsPath();

// Sets the switches from the file (section "Options"). A missing file, key or
// a value that is not an integer leaves the default: the version check keeps
// its current value, the backup becomes on. Any integer other than 0 is on.
void readSettings(const std::string& path);
// "Zile pastrare copii" holds the retention days: 1 to kMaxRetentionDays,
// anything else reads as the default.
// "Afisare pe ecran" and "Fisa enoriasului si pangar" ("1"/"0", off by
// default) keep the print dialog's preview choice and show the two hidden
// menu entries.
// Writes the switches as "1"/"0" and the retention days, keeping the rest of the file. Throws
// std::runtime_error when the file cannot be written.
void writeSettings(const std::string& path);

using SettingValues = std::vector<std::pair<std::string, std::string>>;
// The value of `key` in `section` of the file at `path`; nullopt when the
// file, the section or the key is missing (or the file cannot be read).
std::optional<std::string> readSettingValue(const std::string& path, const std::string& section,
                                            const std::string& key);
// Sets `values` in `section` of the file at `path`, keeping the file as it is
// written: every other line (comments, blank lines, other sections, unknown
// keys) stays byte for byte; a changed key keeps its spelling and its place,
// a new key goes after the last line of its section, a new section at the
// end, as `key=value` with no blank line added. A file left unchanged is not
// written; otherwise it is replaced whole (temporary file, synced, renamed).
// Throws std::runtime_error when it cannot be written.
void writeSettingValues(const std::string& path, const std::string& section, const SettingValues& values);
// The same edit on the text of a settings file.
std::string editSettingsText(const std::string& text, const std::string& section, const SettingValues& values);

// Windows keep their sizes and column widths in the file at settingsPath()
// (section "Ferestre"), from now on in this run.
void keepWindowStateInSettings();

// Parses an integer as the settings file holds it (optional sign, decimal
// digits, surrounding blanks allowed); false when it is not one.
bool parseSettingInteger(const std::string& text, long& value);

}  // namespace app
