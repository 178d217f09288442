#include "app/Settings.h"

// Header-only use (this is the one file that includes it); plain 8-bit text,
// the file holds ASCII keys and values.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <charconv>
#include <string>
#include <stdexcept>

#include "data/OrdinaryFile.h"
#include "data/AppDir.h"

namespace app {

namespace {
const char* const kSection = "Options";
const char* const kVersionKey = "Check for new version";
const char* const kBackupKey = "Backup BD zilnic";
const char* const kUpdateServerKey = "Update server";
const char* const kRetentionKey = "Zile pastrare copii";
const char* const kPreviewKey = "Afisare pe ecran";
const char* const kRecordsKey = "Fisa enoriasului si pangar";
// A settings file holds a few lines; anything far larger is not ours.
constexpr long long kMaxSettingsBytes = 1 << 20;

bool readBool(const CSimpleIniA& ini, const char* key, bool fallback) {
    const char* v = ini.GetValue(kSection, key, nullptr);
    long n = 0;
    if (!v || !parseSettingInteger(v, n)) return fallback;
    return n != 0;
}
}  // namespace

Switches& switches() {
    static Switches s;
    return s;
}

std::string settingsPath() { return data::AppDir() + "Configurari.ini"; }

bool parseSettingInteger(const std::string& text, long& value) {
    size_t b = text.find_first_not_of(" \t\r\n");
    size_t e = text.find_last_not_of(" \t\r\n");
    if (b == std::string::npos) return false;
    const char* p = text.data() + b;
    const char* end = text.data() + e + 1;
    if (*p == '+') ++p;
    if (p == end) return false;
    int parsed = 0;  // the settings hold 32-bit integers
    auto [next, ec] = std::from_chars(p, end, parsed);
    if (ec != std::errc() || next != end) return false;
    value = parsed;
    return true;
}

void readSettings(const std::string& path) {
    CSimpleIniA ini;
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    std::string text;
    try {
        text = data::readOrdinaryFile(path, kMaxSettingsBytes);
    } catch (const data::FileAccessError& e) {
        // No usable file: the defaults; a file that is there but cannot be
        // read is also reported.
        switches().backup = true;
        switches().updateServer.clear();
        switches().retentionDays = kDefaultRetentionDays;
        switches().preview = switches().showRecords = false;
        if (e.missing()) return;
        throw std::runtime_error("Fisierul \"" + path + "\" nu poate fi citit: " + e.what());
    }
    if (ini.LoadData(text) < 0) {
        switches().backup = true;
        switches().updateServer.clear();
        switches().retentionDays = kDefaultRetentionDays;
        switches().preview = switches().showRecords = false;
        return;
    }
    long days = 0;
    const char* kept = ini.GetValue(kSection, kRetentionKey, nullptr);
    const bool daysGiven = kept && parseSettingInteger(kept, days) && days >= 1 && days <= kMaxRetentionDays;
    switches().retentionDays = daysGiven ? static_cast<int>(days) : kDefaultRetentionDays;
    switches().versionCheck = readBool(ini, kVersionKey, switches().versionCheck);
    switches().backup = readBool(ini, kBackupKey, true);
    switches().preview = readBool(ini, kPreviewKey, false);
    switches().showRecords = readBool(ini, kRecordsKey, false);
    const char* server = ini.GetValue(kSection, kUpdateServerKey, "");
    switches().updateServer = server ? server : "";
    const auto blank = switches().updateServer.find_first_not_of(" \t");
    if (blank == std::string::npos) switches().updateServer.clear();
}

void writeSettings(const std::string& path) {
    CSimpleIniA ini;
    ini.SetUnicode(false);
    try {
        // The other sections and keys of an existing file are kept.
        try {
            ini.LoadData(data::readOrdinaryFile(path, kMaxSettingsBytes));
        } catch (const data::FileAccessError& e) {
            if (!e.missing()) throw;
        }
        ini.SetValue(kSection, kVersionKey, switches().versionCheck ? "1" : "0");
        ini.SetValue(kSection, kBackupKey, switches().backup ? "1" : "0");
        ini.SetValue(kSection, kRetentionKey, std::to_string(switches().retentionDays).c_str());
        ini.SetValue(kSection, kPreviewKey, switches().preview ? "1" : "0");
        ini.SetValue(kSection, kRecordsKey, switches().showRecords ? "1" : "0");
        std::string text;
        if (ini.Save(text, false) < 0) throw data::FileAccessError("fisierul nu poate fi scris", false);
        // whole or not at all: a kill while writing leaves the previous file
        data::replaceOrdinaryFile(path, text);
    } catch (const data::FileAccessError& e) {
        throw std::runtime_error("Nu pot scrie fisierul " + path + ": " + e.what());
    }
}

}  // namespace app
