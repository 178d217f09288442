// The program's own version: four numbers (major, minor, release, build)
// compiled into the executable.
#pragma once
#include <optional>
#include <string>

namespace app {

struct ProductVersion {
    int major = 0, minor = 0, release = 0, build = 0;
};

// Records the version text the executable was built with ("1.0.0.0").
// Without it (tests, benchmarks) the version cannot be read.
void setBuildVersion(const std::string& text);

// The product version, or nothing when it is missing or not four numbers of
// 0..65535 separated by points.
std::optional<ProductVersion> ReadProductVersion();

// "%d.%d.%d.%d" of the product version, "0.0.0.0" when it cannot be read.
std::string currentVersionText();

}  // namespace app
