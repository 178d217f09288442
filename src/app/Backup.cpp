#include "app/Backup.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <vector>

#include "app/Settings.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/FileCopy.h"

namespace fs = std::filesystem;

namespace app {

namespace {

std::string twoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

bool isSqliteFile(const fs::path& p) {
    static const char magic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    std::ifstream in(p, std::ios::binary);
    char head[16];
    if (!in.read(head, sizeof head)) return false;
    return std::memcmp(head, magic, sizeof magic) == 0;
}

// Companion files SQLite keeps beside a table while it is being written.
bool isCompanionOf(const std::string& name, std::string& base) {
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        size_t n = std::strlen(suffix);
        if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) {
            base = name.substr(0, name.size() - n);
            return true;
        }
    }
    return false;
}

// Copies a table file while a read transaction holds it: no writer of any
// process can change the file during the copy, and opening it first rolls back
// a transaction left unfinished by a crash, so the copy is complete without its
// journal. Returns false when the file cannot be read as a table; the caller
// then copies it as a plain file.
bool copyTableConsistently(const std::string& source, const std::string& dest) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(source.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    // A database in write-ahead-log mode keeps committed pages in its log;
    // fold them into the file first (a no-op for the usual rollback journal).
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    bool locked = sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!locked) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return false;
    }
    try {
        data::CopyWholeFile(source, dest);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        throw;
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

}  // namespace

std::string driveRootDirectory(const std::string& /*root*/) {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        throw std::runtime_error("no home directory");
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
}

bool isCdRomDrive(const std::string& /*root*/) { return false; }

std::string backupDirectory(const std::string& basePath, const data::Date& day) {
    std::string p = basePath;
    if (p.size() < 3) throw std::runtime_error("bad backup path");
    if (isCdRomDrive(p.substr(0, 3))) p = "C:\\" + p.substr(3);
    std::string rest = p.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return driveRootDirectory(p.substr(0, 3)) + "/SalvariQuillmar/" + std::to_string(day.year) + twoDigits(day.month) +
           twoDigits(day.day) + "/" + rest;
}

void BackupDaily(const std::string& basePath) {
    if (!switches().backup) return;
    std::string dir;
    try {
        dir = backupDirectory(basePath, data::today());
        if (fs::is_directory(dir)) return;  // today's copy has been made
        fs::create_directories(dir);

        const fs::path source(data::AppDir());
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(source)) {
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.') continue;  // hidden files
            if (!entry.is_regular_file()) continue;
            names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end());

        std::set<std::string> tablesCopied;
        for (const std::string& name : names) {
            if (name.find("Corvalinde") != std::string::npos) continue;  // the program's own files
            std::string base;
            if (isCompanionOf(name, base) && tablesCopied.count(base)) continue;
            const std::string from = (source / name).string();
            const std::string to = dir + "/" + name;
            if (isSqliteFile(from) && copyTableConsistently(from, to)) {
                tablesCopied.insert(name);
                continue;
            }
            data::CopyWholeFile(from, to);
        }
    } catch (...) {
        throw std::runtime_error("Nu pot salva baza de date in directorul " + dir);
    }
}

}  // namespace app
