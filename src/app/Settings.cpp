#include "app/Settings.h"

// Header-only use (this is the one file that includes it); plain 8-bit text,
// the file holds ASCII keys and values.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <charconv>
#include <stdexcept>
#include <string>
#include <string_view>

#include "controls/DataWindow.h"
#include "data/AppDir.h"
#include "data/OrdinaryFile.h"

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

const char* const kWindowSection = "Ferestre";

std::string_view trimmed(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Keys and section names are compared without regard to letter case, as the
// reader does.
bool sameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A value is one line of the file.
std::string oneLine(std::string v) {
    for (char& c : v)
        if (c == '\n' || c == '\r') c = ' ';
    return v;
}

std::string currentText(const std::string& path) {
    try {
        return data::readOrdinaryFile(path, kMaxSettingsBytes);
    } catch (const data::FileAccessError& e) {
        if (!e.missing()) throw;
    }
    return {};
}

void replaceSettingsFile(const std::string& path, const std::string& before, const std::string& after) {
    if (after == before) return;
    // whole or not at all: a kill while writing leaves the previous file
    data::replaceOrdinaryFile(path, after);
}

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
    try {
        // The other sections and keys of an existing file are kept.
        const std::string before = currentText(path);
        const std::string after = editSettingsText(before, kSection,
                                                   {{kVersionKey, switches().versionCheck ? "1" : "0"},
                                                    {kBackupKey, switches().backup ? "1" : "0"},
                                                    {kRetentionKey, std::to_string(switches().retentionDays)},
                                                    {kPreviewKey, switches().preview ? "1" : "0"},
                                                    {kRecordsKey, switches().showRecords ? "1" : "0"}});
        replaceSettingsFile(path, before, after);
    } catch (const data::FileAccessError& e) {
        throw std::runtime_error("Nu pot scrie fisierul " + path + ": " + e.what());
    }
}

std::string editSettingsText(const std::string& text, const std::string& section, const SettingValues& values) {
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::vector<bool> found(values.size(), false);
    std::string out;
    out.reserve(text.size() + 64);
    bool inSection = false, seen = false;
    size_t insertAt = std::string::npos;  // after the section's last key (or its heading)
    for (size_t pos = 0; pos < text.size();) {
        const size_t nl = text.find('\n', pos);
        const size_t next = nl == std::string::npos ? text.size() : nl + 1;
        size_t end = nl == std::string::npos ? text.size() : nl;
        if (end > pos && text[end - 1] == '\r') --end;
        const std::string_view line(text.data() + pos, end - pos);
        const std::string_view t = trimmed(line);
        const size_t eq = line.find('=');
        if (!t.empty() && t.front() == '[') {
            const size_t close = t.find(']');
            // a section given twice: the reader merges them, the first one is edited
            inSection = !seen && close != std::string_view::npos && sameName(t.substr(1, close - 1), section);
            seen = seen || inSection;
            out.append(text, pos, next - pos);
            if (inSection) insertAt = out.size();
        } else if (inSection && !t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos) {
            size_t k = 0;
            while (k < values.size() && !sameName(line.substr(0, eq), values[k].first)) ++k;
            if (k < values.size()) {
                // the key as written and the blanks after '=' stay
                size_t v = eq + 1;
                while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
                out.append(line.substr(0, v));
                out += oneLine(values[k].second);
                out.append(text, end, next - end);
                found[k] = true;
            } else {
                out.append(text, pos, next - pos);
            }
            insertAt = out.size();
        } else {
            out.append(text, pos, next - pos);
        }
        pos = next;
    }
    std::string added;
    for (size_t k = 0; k < values.size(); ++k)
        if (!found[k]) added += values[k].first + "=" + oneLine(values[k].second) + eol;
    if (added.empty()) return out;
    if (!seen) {
        if (!out.empty() && out.back() != '\n') out += eol;
        return out + "[" + section + "]" + eol + added;
    }
    // the section's last line may be the file's last, without its line end
    if (insertAt == out.size() && !out.empty() && out.back() != '\n') {
        out += eol;
        insertAt = out.size();
    }
    out.insert(insertAt, added);
    return out;
}

std::optional<std::string> readSettingValue(const std::string& path, const std::string& section,
                                            const std::string& key) {
    CSimpleIniA ini;
    ini.SetUnicode(false);
    try {
        if (ini.LoadData(currentText(path)) < 0) return std::nullopt;
    } catch (const data::FileAccessError&) {
        return std::nullopt;
    }
    const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (!v) return std::nullopt;
    return std::string(v);
}

void writeSettingValues(const std::string& path, const std::string& section, const SettingValues& values) {
    try {
        const std::string before = currentText(path);
        replaceSettingsFile(path, before, editSettingsText(before, section, values));
    } catch (const data::FileAccessError& e) {
        throw std::runtime_error("Nu pot scrie fisierul " + path + ": " + e.what());
    }
}

void keepWindowStateInSettings() {
    ui::setWindowMemory({
        .read = [](const std::string& key) { return readSettingValue(settingsPath(), kWindowSection, key); },
        // a size that cannot be kept is no reason to trouble the user
        .write =
            [](const SettingValues& values) {
                try {
                    writeSettingValues(settingsPath(), kWindowSection, values);
                } catch (const std::exception&) {
                }
            },
    });
}

}  // namespace app
