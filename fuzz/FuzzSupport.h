// What the harnesses share: a scratch directory of the process for the inputs
// that are read from files, and a check that stops the run when it fails.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

// Stops the run (libFuzzer keeps the input) when an invariant does not hold.
inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A directory of this process, removed when it ends.
inline const std::string& scratchDir() {
    static const std::string dir = [] {
        std::string t = (std::filesystem::temp_directory_path() / "cv-fuzz-XXXXXX").string();
        if (!::mkdtemp(t.data())) std::abort();
        static struct Remove {
            std::string d;
            ~Remove() {
                std::error_code ec;
                std::filesystem::remove_all(d, ec);
            }
        } remove{t};
        return t;
    }();
    return dir;
}

// Writes `bytes` to `name` in the scratch directory; its path.
inline std::string scratchFile(const std::string& name, const char* bytes, size_t size) {
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
    out.close();
    if (!out) std::abort();
    return path;
}

inline void removeScratch(const std::string& name) {
    std::error_code ec;
    std::filesystem::remove(scratchDir() + "/" + name, ec);
}

}  // namespace fuzz
