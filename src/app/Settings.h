// The settings file "Configurari.ini" and the two switches it holds.
#pragma once
#include <string>

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

// Parses an integer as the settings file holds it (optional sign, decimal
// digits, surrounding blanks allowed); false when it is not one.
bool parseSettingInteger(const std::string& text, long& value);

}  // namespace app
