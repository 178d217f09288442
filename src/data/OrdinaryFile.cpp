#include "data/OrdinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "data/FileHandle.h"

namespace data {

namespace {

[[noreturn]] void refuse(const char* reason, bool missing = false) { throw FileAccessError(reason, missing); }

[[noreturn]] void refuseErrno(int err, const char* otherwise) {
    if (err == ENOENT) refuse("fisierul nu exista", true);
    if (err == EACCES || err == EPERM) refuse("accesul la fisier este interzis");
    if (err == EISDIR) refuse("este un director");
    if (err == ENXIO) refuse("nu este un fisier obisnuit");
    refuse(otherwise);
}

void requireOrdinary(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) refuse("este un director");
    if (!S_ISREG(st.st_mode)) refuse("nu este un fisier obisnuit");
}

// Opens `path` into `fd` without waiting on it (O_NONBLOCK: a FIFO opens at
// once), checks that it is an ordinary file and turns the waiting back on.
void openOrdinary(data::Fd& fd, const std::string& path, int flags, const char* cannotOpen) {
    // The type is checked before opening, so that no device is ever opened.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        requireOrdinary(st);
    else if (errno != ENOENT || !(flags & O_CREAT))
        refuseErrno(errno, cannotOpen);

    fd.reset(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!fd.valid()) refuseErrno(errno, cannotOpen);
    // The name may have been replaced in between.
    if (::fstat(fd.get(), &st) != 0) refuse(cannotOpen);
    requireOrdinary(st);
    int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl < 0 || ::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK) != 0) refuse(cannotOpen);
}

}  // namespace

std::string readOrdinaryFile(const std::string& path, long long maxBytes) {
    data::Fd fd;
    openOrdinary(fd, path, O_RDONLY, "fisierul nu poate fi deschis");
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) refuse("fisierul nu poate fi citit");
    if (st.st_size > maxBytes) refuse("fisierul este prea mare");
    std::string content;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) refuse("fisierul nu poate fi citit");
        if (n == 0) break;
        // The file may grow while it is read.
        if (static_cast<long long>(content.size()) + n > maxBytes) refuse("fisierul este prea mare");
        content.append(buf, static_cast<size_t>(n));
    }
    return content;
}

void replaceOrdinaryFile(const std::string& path, const std::string& content) {
    struct stat st {};
    mode_t mode = 0644;
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) refuse("nu este un fisier obisnuit");
        requireOrdinary(st);
        mode = st.st_mode & 0777;
    } else if (errno != ENOENT) {
        refuseErrno(errno, "fisierul nu poate fi creat");
    }
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    std::string tmp = path + ".XXXXXX";
    Fd fd(::mkostemp(tmp.data(), O_CLOEXEC));
    if (!fd.valid()) refuseErrno(errno, "fisierul nu poate fi creat");
    bool renamed = false;
    struct RemoveTemp {
        const std::string& name;
        const bool& done;
        ~RemoveTemp() {
            if (!done) ::unlink(name.c_str());
        }
    } removeTemp{tmp, renamed};
    for (size_t done = 0; done < content.size();) {
        ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) refuse("fisierul nu poate fi scris");
        done += static_cast<size_t>(n);
    }
    // the replaced file's permissions (a temporary file is the owner's only)
    if (::fchmod(fd.get(), mode) != 0) refuse("fisierul nu poate fi scris");
    if (::fsync(fd.get()) != 0 || !fd.close()) refuse("fisierul nu poate fi scris");
    if (::rename(tmp.c_str(), path.c_str()) != 0) refuseErrno(errno, "fisierul nu poate fi scris");
    renamed = true;
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.valid()) ::fsync(dirFd.get());
}

}  // namespace data
