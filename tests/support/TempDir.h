// A temporary directory removed with its contents at the end of a test.
#pragma once
#include <string>

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
