// Whole-file copy: the destination is replaced atomically (temporary file in
// its directory, fsync, rename), so a crash or a failed copy never leaves a
// torn or truncated destination. SZDD sources are expanded with libmspack.
#include "data/FileCopy.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "data/Engine.h"
#include "data/FileHandle.h"

namespace data {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 1 << 20;
const unsigned char kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const char kSqliteMagic[16] = "SQLite format 3";  // 15 characters and the NUL

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void failSource(const std::string& source) { throw FileError(sourceErrorText(source)); }
[[noreturn]] void failDest(const std::string& dest) { throw FileError(destinationErrorText(dest)); }
[[noreturn]] void failCopy(const std::string& source) { throw FileError(copyErrorText(source)); }

// Removes the temporary file unless the copy was committed.
class TempFile {
public:
    ~TempFile() {
        fd.reset();
        if (!path.empty() && !committed) ::unlink(path.c_str());
    }
    Fd fd;
    std::string path;
    bool committed = false;
};

// Reads up to `size` bytes at `offset`, retrying short reads; -1 on error.
ssize_t preadFull(int fd, void* buf, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, static_cast<char*>(buf) + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool startsWith(int fd, const void* magic, std::size_t size) {
    unsigned char head[16];
    return size <= sizeof head && preadFull(fd, head, size, 0) == static_cast<ssize_t>(size) &&
           std::memcmp(head, magic, size) == 0;
}

// Byte-for-byte copy from the current offsets: copy_file_range while the
// kernel offers it (no trip through user space, reflinks where possible),
// then a large-buffer loop that also confirms the end of the source.
bool copyPlain(int in, int out) {
    for (;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kBufferSize * 64, 0);
        if (n > 0) continue;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF &&
            errno != EPERM)
            return false;
        break;  // end of the source, or not supported here
    }
    std::unique_ptr<char[]> buf(new char[kBufferSize]);
    for (;;) {
        ssize_t n = ::read(in, buf.get(), kBufferSize);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (!writeAll(out, buf.get(), static_cast<std::size_t>(n))) return false;
    }
}

// --- SZDD expansion through libmspack ---------------------------------------
// libmspack does its I/O through an mspack_system; ours works on the two
// descriptors already open, so the library never opens paths itself. The
// "file name" handed to the library is the address of one of these handles.
struct MsHandle {
    mspack_file base;  // first member: the handle is its own mspack_file
    int fd = -1;
    bool output = false;
    off_t limit = 0;    // output: the expanded length announced by the header
    off_t written = 0;  // output: bytes accepted so far
    // Output buffer: the library hands over the expanded data a byte at a time.
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;
    bool failed = false;

    bool flush() {
        if (used > 0 && !writeAll(fd, buffer.get(), used)) failed = true;
        used = 0;
        return !failed;
    }
};

MsHandle* handleOf(mspack_file* f) { return reinterpret_cast<MsHandle*>(f); }

mspack_file* msOpen(mspack_system*, const char* name, int mode) {
    auto* h = reinterpret_cast<MsHandle*>(const_cast<char*>(name));
    bool wantOutput = mode != MSPACK_SYS_OPEN_READ;
    if (!h || h->output != wantOutput) return nullptr;
    if (!h->output && ::lseek(h->fd, 0, SEEK_SET) != 0) return nullptr;
    return &h->base;
}

void msClose(mspack_file* f) {
    if (f) handleOf(f)->flush();
}

int msRead(mspack_file* f, void* buf, int bytes) {
    MsHandle* h = handleOf(f);
    if (h->output || bytes < 0) return -1;
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(bytes)) {
        ssize_t n = ::read(h->fd, static_cast<char*>(buf) + done, static_cast<std::size_t>(bytes) - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<int>(done);
}

int msWrite(mspack_file* f, void* buf, int bytes) {
    MsHandle* h = handleOf(f);
    if (!h->output || bytes < 0 || h->failed) return -1;
    // More output than the header announced: the stream is corrupt, stop now
    // rather than fill the disk.
    if (bytes > h->limit - h->written) {
        h->failed = true;
        return -1;
    }
    h->written += bytes;
    const char* p = static_cast<const char*>(buf);
    for (std::size_t left = static_cast<std::size_t>(bytes); left > 0;) {
        if (h->used == kBufferSize && !h->flush()) return -1;
        std::size_t n = std::min(left, kBufferSize - h->used);
        std::memcpy(h->buffer.get() + h->used, p, n);
        h->used += n;
        p += n;
        left -= n;
    }
    return bytes;
}

int msSeek(mspack_file* f, off_t offset, int mode) {
    MsHandle* h = handleOf(f);
    if (h->output) return -1;
    int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR : SEEK_END;
    return ::lseek(h->fd, offset, whence) < 0 ? -1 : 0;
}

off_t msTell(mspack_file* f) {
    MsHandle* h = handleOf(f);
    return h->output ? h->written : ::lseek(h->fd, 0, SEEK_CUR);
}

void msMessage(mspack_file*, const char*, ...) {}
void* msAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void msFree(void* p) { std::free(p); }
void msCopy(void* src, void* dst, size_t bytes) { std::memcpy(dst, src, bytes); }

mspack_system* descriptorSystem() {
    static mspack_system sys = {msOpen,    msClose, msRead, msWrite, msSeek, msTell,
                                msMessage, msAlloc, msFree, msCopy,  nullptr};
    return &sys;
}

// Expands the SZDD stream of `in` into `out`; false when the stream is
// truncated or corrupt (its expanded length must match the header exactly).
bool expandSzdd(int in, int out) {
    int selftest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selftest);
    if (selftest != MSPACK_ERR_OK) return false;

    std::unique_ptr<msszdd_decompressor, void (*)(msszdd_decompressor*)> dec(
        mspack_create_szdd_decompressor(descriptorSystem()), mspack_destroy_szdd_decompressor);
    if (!dec) return false;

    MsHandle input;
    input.fd = in;
    MsHandle output;
    output.fd = out;
    output.output = true;
    output.buffer.reset(new char[kBufferSize]);

    msszddd_header* hdr = dec->open(dec.get(), reinterpret_cast<const char*>(&input));
    if (!hdr) return false;
    // A negative length cannot come from the 32-bit field, but guards the limit.
    output.limit = hdr->length < 0 ? 0 : hdr->length;
    int err = dec->extract(dec.get(), hdr, reinterpret_cast<const char*>(&output));
    off_t expected = hdr->length;
    dec->close(dec.get(), hdr);
    return err == MSPACK_ERR_OK && output.flush() && output.written == expected;
}

// --- destination checks ------------------------------------------------------

// The path whose content the copy replaces: a symbolic link keeps pointing at
// the new content instead of being replaced by a plain file.
std::string replacedPath(const std::string& dest) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(dest, ec))) {
        fs::path target = fs::weakly_canonical(dest, ec);
        if (ec) return {};
        return target.string();
    }
    return dest;
}

// Whether someone holds a lock on the file (a database connection in the
// middle of a transaction, in this process or another).
bool lockedByOthers(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;  // locks not supported here
    return fl.l_type != F_UNLCK;
}

// Leaving a stale journal would let the database roll the old content's
// changes into the new file, so failing to remove one fails the copy.
bool removeStaleJournals(const std::string& path) {
    for (const char* suffix : {"-journal", "-wal"}) {
        std::string side = path + suffix;
        if (::unlink(side.c_str()) != 0 && errno != ENOENT) return false;
    }
    return true;
}

// Creates a new file beside `target` with the usual creation mode (umask
// applied); returns its descriptor and sets `path`, or -1.
int createTemp(const fs::path& dir, const fs::path& target, std::string& path) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(1, '.');
        name.append(target.filename().string())
            .append(".copy")
            .append(std::to_string(::getpid()))
            .append("-")
            .append(std::to_string(++counter));
        path = (dir / name).string();
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

std::string sourceErrorText(const std::string& source) {
    return "Nu se poate deschide fisierul sursa " + quoted(source);
}
std::string destinationErrorText(const std::string& dest) {
    return "Nu se poate crea fisierul destinatie " + quoted(dest);
}
std::string copyErrorText(const std::string& source) { return "Eroare la copierea fisierului " + quoted(source); }

void CopyWholeFile(const std::string& source, const std::string& dest) {
    // Source: opened for reading, denying writes by others through a shared
    // lock on the whole file (conflicts with any writer's lock, database
    // connections included). O_NONBLOCK keeps a FIFO from hanging the open.
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.valid()) failSource(source);
    struct stat srcStat {};
    if (::fstat(in.get(), &srcStat) != 0 || !S_ISREG(srcStat.st_mode)) failSource(source);
    {
        int flags = ::fcntl(in.get(), F_GETFL);
        if (flags < 0 || ::fcntl(in.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) failSource(source);
        struct flock fl {};
        fl.l_type = F_RDLCK;
        fl.l_whence = SEEK_SET;
        if (::fcntl(in.get(), F_OFD_SETLK, &fl) != 0 && (errno == EAGAIN || errno == EACCES)) failSource(source);
    }

    // Destination: never a table this process has open; cached SQL
    // attachments let go of it before it is replaced.
    const std::string target = replacedPath(dest);
    if (target.empty()) failDest(dest);
    std::string canonical;
    try {
        canonical = canonicalPath(target);
    } catch (const std::exception&) {
        // A path without an identity cannot name an open table.
    }
    if (!canonical.empty()) {
        if (OpenFiles::instance().isOpen(canonical)) failDest(dest);
        try {
            SqlSession::releaseEverywhere(canonical);
        } catch (const std::exception&) {
            failDest(dest);
        }
    }

    // An existing destination must be a writable file other than the source
    // (a file cannot be opened for exclusive writing while it is read).
    bool replacing = false;
    bool oldWasDatabase = false;
    struct stat oldStat {};
    {
        struct stat& st = oldStat;
        if (::stat(target.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0) failDest(dest);
            if (st.st_dev == srcStat.st_dev && st.st_ino == srcStat.st_ino) failDest(dest);
            replacing = true;
            Fd old(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
            if (old.valid()) {
                if (lockedByOthers(old.get())) failDest(dest);
                oldWasDatabase = startsWith(old.get(), kSqliteMagic, sizeof kSqliteMagic);
            }
        } else if (errno != ENOENT) {
            failDest(dest);
        }
    }

    // The new content goes to a temporary file beside the destination (same
    // file system, so the final rename is atomic).
    fs::path targetPath(target);
    fs::path dir = targetPath.parent_path();
    if (dir.empty()) dir = ".";
    TempFile tmp;
    tmp.fd.reset(createTemp(dir, targetPath, tmp.path));
    if (!tmp.fd.valid()) {
        tmp.path.clear();
        failDest(dest);
    }

    bool ok = startsWith(in.get(), kSzddMagic, sizeof kSzddMagic) ? expandSzdd(in.get(), tmp.fd.get())
                                                                  : copyPlain(in.get(), tmp.fd.get());
    if (!ok) failCopy(source);
    if (replacing) {
        // The replaced file keeps its permissions, and its owner where we may
        // set it; otherwise the new file is ours.
        [[maybe_unused]] int owned = ::fchown(tmp.fd.get(), oldStat.st_uid, oldStat.st_gid);
        if (::fchmod(tmp.fd.get(), oldStat.st_mode & 07777) != 0) failCopy(source);
    }
    if (::fsync(tmp.fd.get()) != 0) failCopy(source);
    bool newIsDatabase = startsWith(tmp.fd.get(), kSqliteMagic, sizeof kSqliteMagic);
    if (!tmp.fd.close()) failCopy(source);

    // A journal or write-ahead log beside the replaced table belongs to its
    // old content; it goes before the rename so that no crash can leave it
    // next to the new content.
    if (replacing && (oldWasDatabase || newIsDatabase) && !removeStaleJournals(target)) failCopy(source);
    if (::rename(tmp.path.c_str(), target.c_str()) != 0) failCopy(source);
    tmp.committed = true;

    // Make the rename itself durable.
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.valid()) ::fsync(dirFd.get());
}

}  // namespace data
