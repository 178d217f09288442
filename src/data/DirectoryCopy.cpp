#include "data/DirectoryCopy.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "data/FileCopy.h"
#include "data/FileHandle.h"

namespace fs = std::filesystem;

namespace data {

namespace {

const char* const kPartialSuffix = ".partial";

CopyProgressHook& progressHook() {
    static CopyProgressHook hook;
    return hook;
}

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

bool isSqliteFile(const std::string& p) {
    static const char magic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    std::ifstream in(p, std::ios::binary);
    char head[16];
    if (!in.read(head, sizeof head)) return false;
    return std::memcmp(head, magic, sizeof magic) == 0;
}

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
// forces it to the disk. Returns false for a compressed file, which the
// caller expands instead.
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
    const std::string name = fs::path(source).filename().string();
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
        if (progressHook()) progressHook()(name, done);
    }
    if (done != st.st_size) fail("incomplete copy of " + source);
    if (::fsync(out.get()) != 0 || !out.close()) fail("cannot write " + dest);
    return true;
}

void copyFile(const std::string& source, const std::string& dest) {
    if (!copyPlain(source, dest)) CopyWholeFile(source, dest);
}

// A table left with a journal (a transaction cut short by a crash, or being
// written right now) is opened as a database first: opening rolls the
// unfinished transaction back, and the read transaction held during the copy
// keeps writers out, so the copy is complete without its journal. Returns
// false when the file cannot be read as a table; the caller then copies it as
// it is.
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

}  // namespace

void setCopyProgressHook(CopyProgressHook hook) { progressHook() = std::move(hook); }

bool isJournalCompanion(const std::string& name, std::string& base) {
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        size_t n = std::strlen(suffix);
        if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) {
            base = name.substr(0, name.size() - n);
            return true;
        }
    }
    return false;
}

bool copyFileInto(const std::string& source, const std::string& destDir, const std::string& name, bool hasJournal) {
    const fs::path work(destDir);
    const std::string partial = (work / ("." + name + kPartialSuffix)).string();
    const std::string whole = (work / name).string();
    ::unlink(partial.c_str());
    bool asCommitted = false;
    try {
        asCommitted = hasJournal && isSqliteFile(source) && copyTableWithJournal(source, partial);
        if (!asCommitted) copyFile(source, partial);
        if (::rename(partial.c_str(), whole.c_str()) != 0) fail("cannot rename " + partial);
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
    return asCommitted;
}

void syncDirectory(const std::string& dir) {
    Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

}  // namespace data
