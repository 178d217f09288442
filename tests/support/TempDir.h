// A temporary directory removed with its contents at the end of a test, and
// the bytes of the files tests write and read back.
#pragma once
#include <string>

// The bytes of a file (empty when it cannot be read).
std::string readFile(const std::string& path);
// `bytes` as the whole of the file `path`; throws when it cannot be written.
void writeFile(const std::string& path, const std::string& bytes);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }  // with a trailing '/'
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};
