#include "app/Backup.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <vector>

#include "app/Settings.h"
#include "data/AppDir.h"
#include "data/Clock.h"
#include "data/DirectoryCopy.h"
#include "data/FileHandle.h"

namespace fs = std::filesystem;

namespace app {

namespace {

std::string twoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// The day's copy is made in "<name>.incomplet" beside it.
const char* const kIncompleteSuffix = ".incomplet";

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

}  // namespace

void setBackupProgressHook(BackupProgressHook hook) { data::setCopyProgressHook(std::move(hook)); }

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
    std::vector<std::string> notCopied;
    try {
        dir = backupDirectory(basePath, data::today());
        if (fs::is_directory(dir)) return;  // today's copy has been made
        const fs::path day(dir);
        const fs::path parent = day.parent_path();
        fs::create_directories(parent);

        // One copy at a time: an instance started while another copies leaves
        // the day to it. The lock goes with the process, even a killed one.
        data::Fd parentFd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!parentFd.valid()) fail("cannot open " + parent.string());
        if (::flock(parentFd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return;
        if (fs::is_directory(dir)) return;  // made meanwhile

        // The copy is made aside; what an interrupted or failed copy left
        // there is thrown away.
        const fs::path work = parent / (day.filename().string() + kIncompleteSuffix);
        fs::remove_all(work);
        fs::create_directory(work);

        const fs::path source(data::AppDir());
        std::vector<std::string> names;
        std::set<std::string> unusable;  // links to no file: named, never skipped
        for (const auto& entry : fs::directory_iterator(source)) {
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.') continue;  // hidden files
            std::error_code ec;
            if (entry.is_directory(ec)) continue;  // sub-directories are not part of the copy
            if (!entry.is_regular_file(ec)) {
                if (!entry.is_symlink(ec)) continue;  // a FIFO, socket or device holds no data
                unusable.insert(name);
            }
            names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end());

        const std::set<std::string> listed(names.begin(), names.end());
        std::set<std::string> tablesCopied;
        for (const std::string& name : names) {
            if (name.find("Corvalinde") != std::string::npos) continue;  // the program's own files
            std::string base;
            if (data::isJournalCompanion(name, base) && tablesCopied.count(base)) continue;
            // A file that cannot be copied does not stop the others.
            try {
                if (unusable.count(name)) fail("not a file: " + name);
                const bool hasJournal = listed.count(name + "-journal") || listed.count(name + "-wal");
                if (data::copyFileInto((source / name).string(), work.string(), name, hasJournal))
                    tablesCopied.insert(name);
            } catch (const std::exception&) {
                notCopied.push_back(name);
            }
        }
        if (!notCopied.empty()) fail("incomplete copy");

        // Complete: the copy takes the day's name.
        data::syncDirectory(work.string());
        if (::rename(work.c_str(), dir.c_str()) != 0) fail("cannot rename " + work.string());
        data::syncDirectory(parent.string());
    } catch (...) {
        std::string message = "Nu pot salva baza de date in directorul " + dir;
        if (!notCopied.empty()) {
            message += "\nFisiere necopiate: ";
            for (size_t i = 0; i < notCopied.size(); ++i) message += (i ? ", " : "") + notCopied[i];
        }
        throw std::runtime_error(message);
    }
}

}  // namespace app
