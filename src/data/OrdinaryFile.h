// The program's own small files (settings, picture, unit tree) are read and written only
// when they are ordinary files: a FIFO, device or socket under such a name
// would block the program or feed it endless data, and a directory cannot be
// read at all.
#pragma once
#include <stdexcept>
#include <string>

namespace data {

// Why a file cannot be used, in words for the user (what()).
class FileAccessError : public std::runtime_error {
public:
    FileAccessError(const std::string& reason, bool missing) : std::runtime_error(reason), missing_(missing) {}
    // There is no file under that name.
    bool missing() const { return missing_; }

private:
    bool missing_;
};

// The whole content of the ordinary file `path`, refused when larger than
// `maxBytes`. Throws FileAccessError.
std::string readOrdinaryFile(const std::string& path, long long maxBytes);

// Replaces `path` whole or not at all: the content goes to a temporary file
// beside it, which is renamed over it once complete and synced. Anything
// other than an ordinary file under that name is refused. Throws FileAccessError.
void replaceOrdinaryFile(const std::string& path, const std::string& content);

}  // namespace data
