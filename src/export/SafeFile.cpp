#include "export/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace exports {

namespace {

bool fail(std::string* error, int err) {
    if (error && error->empty()) *error = std::strerror(err);
    return false;
}

bool syncPath(const std::string& p, int flags) {
    const int fd = ::open(p.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace

bool writeFileSafely(const std::string& path,
                     const std::function<bool(const std::string& temporary, std::string* error)>& write,
                     std::string* error) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const std::string suffix = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
    const std::string base = name.substr(0, name.size() - suffix.size());
    std::string pattern = dir + "/." + base + ".XXXXXX" + suffix;
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const int fd = ::mkstemps(buf.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return fail(error, errno);
    ::close(fd);
    const std::string temporary(buf.data());
    auto removeTemporary = [&temporary] { ::unlink(temporary.c_str()); };

    bool written = false;
    try {
        written = write(temporary, error);
    } catch (...) {
        removeTemporary();
        throw;
    }
    if (!written) {
        removeTemporary();
        return false;
    }
    if (!syncPath(temporary, O_RDONLY)) {
        const int err = errno;
        removeTemporary();
        return fail(error, err);
    }
    // the temporary file was made private; the file gets a new file's rights
    // (or those of the file it replaces)
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~mask;
    ::chmod(temporary.c_str(), mode);
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int err = errno;
        removeTemporary();
        return fail(error, err);
    }
    syncPath(dir, O_RDONLY | O_DIRECTORY);
    return true;
}

}  // namespace exports
