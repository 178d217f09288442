// A file the user gets is written whole or not at all: into a temporary file
// beside it (same extension), synced, given the rights a new file (or the
// file it replaces) has, renamed over it, and the directory synced.
#pragma once
#include <functional>
#include <string>

namespace exports {

// `write` fills the temporary file it is given. A failure (or an exception
// `write` throws, passed on) leaves `path` as it was and no temporary file
// behind.
bool writeFileSafely(const std::string& path,
                     const std::function<bool(const std::string& temporary, std::string* error)>& write,
                     std::string* error = nullptr);

}  // namespace exports
