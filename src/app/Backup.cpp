#include "app/Backup.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
#include "data/FileHandle.h"

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

using data::Fd;

// The day's copy is made in "<name>.incomplet" beside it, each file under
// ".<file>.partial" until complete.
const char* const kIncompleteSuffix = ".incomplet";
const char* const kPartialSuffix = ".partial";

BackupProgressHook& progressHook() {
    static BackupProgressHook hook;
    return hook;
}

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

// Takes a read lock on the whole file, so that no writer of any process (a
// database connection included) changes it while it is copied. A writer that
// holds it is given a moment to finish.
void lockAgainstWriters(int fd, const std::string& path) {
    struct flock fl {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    for (int waited = 0;; waited += 10) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return;
        if (errno != EAGAIN && errno != EACCES) return;  // no locking on this file system
        if (waited >= 1000) fail("file in use: " + path);
        ::usleep(10000);
    }
}

const unsigned char kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

// Copies one file through the kernel's copy, under the read lock above, and
// forces it to the disk: the day's directory gets its name only after every
// file in it is complete, and that name must never stand for lost data.
// Returns false for a compressed file, which the caller expands instead.
bool copyPlain(const std::string& source, const std::string& dest) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) fail("cannot open " + source);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) fail("not a file: " + source);
    int flags = ::fcntl(in.get(), F_GETFL);
    if (flags < 0 || ::fcntl(in.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) fail("cannot read " + source);
    lockAgainstWriters(in.get(), source);

    unsigned char head[sizeof kSzddMagic];
    if (::pread(in.get(), head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
        std::memcmp(head, kSzddMagic, sizeof head) == 0)
        return false;

    Fd out(::open(dest.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0) fail("cannot create " + dest);
    bool kernelCopy = true;
    off_t done = 0;
    std::vector<char> buf;
    for (;;) {
        ssize_t n;
        if (kernelCopy) {
            n = ::copy_file_range(in.get(), nullptr, out.get(), nullptr, 1 << 20, 0);
            if (n < 0 && done == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (buf.empty()) buf.resize(1 << 20);
            n = ::read(in.get(), buf.data(), buf.size());
            for (ssize_t w = 0; n > 0 && w < n;) {
                ssize_t k = ::write(out.get(), buf.data() + w, static_cast<size_t>(n - w));
                if (k < 0 && errno == EINTR) continue;
                if (k <= 0) fail("cannot write " + dest);
                w += k;
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("cannot copy " + source);
        if (n == 0) break;
        done += n;
        if (progressHook()) progressHook()(fs::path(source).filename().string(), done);
    }
    if (done != st.st_size) fail("incomplete copy of " + source);
    if (::fsync(out.get()) != 0 || !out.close()) fail("cannot write " + dest);
    return true;
}

void copyFile(const std::string& source, const std::string& dest) {
    if (!copyPlain(source, dest)) data::CopyWholeFile(source, dest);
}

// A table left with a journal (a transaction cut short by a crash, or being
// written right now) is opened as a database first: opening rolls the unfinished
// transaction back, and the read transaction held during the copy keeps writers
// out, so the copy is complete without its journal. Returns false when the file
// cannot be read as a table; the caller then copies it as it is.
bool copyTableWithJournal(const std::string& source, const std::string& dest) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(source.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 1000);
    // A table in write-ahead-log mode keeps committed pages in its log; fold them in.
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    if (sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return false;
    }
    try {
        copyFile(source, dest);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        throw;
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

// Copies one file of the database directory into the work directory: under a
// temporary name first, renamed to its own name once complete and on the
// disk, so that a file there under its real name is always whole. Returns
// whether it was a table copied without its journal.
bool copyInto(const fs::path& work, const fs::path& from, const std::string& name, bool hasJournal) {
    const std::string partial = (work / ("." + name + kPartialSuffix)).string();
    const std::string whole = (work / name).string();
    ::unlink(partial.c_str());
    bool tableAsCommitted = false;
    try {
        tableAsCommitted = hasJournal && isSqliteFile(from) && copyTableWithJournal(from.string(), partial);
        if (!tableAsCommitted) copyFile(from.string(), partial);
        if (::rename(partial.c_str(), whole.c_str()) != 0) fail("cannot rename " + partial);
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
    return tableAsCommitted;
}

// Makes the names in a directory durable (best effort: not every file
// system syncs directories).
void syncDirectory(const fs::path& dir) {
    Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

}  // namespace

void setBackupProgressHook(BackupProgressHook hook) { progressHook() = std::move(hook); }

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
        Fd parentFd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
        for (const auto& entry : fs::directory_iterator(source)) {
            std::string name = entry.path().filename().string();
            if (name.empty() || name[0] == '.') continue;  // hidden files
            if (!entry.is_regular_file()) continue;
            names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end());

        const std::set<std::string> listed(names.begin(), names.end());
        std::set<std::string> tablesCopied;
        for (const std::string& name : names) {
            if (name.find("Corvalinde") != std::string::npos) continue;  // the program's own files
            std::string base;
            if (isCompanionOf(name, base) && tablesCopied.count(base)) continue;
            // A file that cannot be copied does not stop the others.
            try {
                const bool hasJournal = listed.count(name + "-journal") || listed.count(name + "-wal");
                if (copyInto(work, source / name, name, hasJournal)) tablesCopied.insert(name);
            } catch (const std::exception&) {
                notCopied.push_back(name);
            }
        }
        if (!notCopied.empty()) fail("incomplete copy");

        // Complete: the copy takes the day's name.
        syncDirectory(work);
        if (::rename(work.c_str(), dir.c_str()) != 0) fail("cannot rename " + work.string());
        syncDirectory(parent);
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
