#include "app/Version.h"

#include <charconv>

namespace app {

namespace {
std::string& buildVersion() {
    static std::string v;
    return v;
}
}  // namespace

void setBuildVersion(const std::string& text) { buildVersion() = text; }

std::optional<ProductVersion> ReadProductVersion() {
    const std::string& s = buildVersion();
    int parts[4];
    const char* p = s.data();
    const char* end = s.data() + s.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') return std::nullopt;
            ++p;
        }
        if (p == end || *p < '0' || *p > '9') return std::nullopt;
        auto [next, ec] = std::from_chars(p, end, parts[i]);
        if (ec != std::errc() || parts[i] > 0xFFFF) return std::nullopt;
        p = next;
    }
    if (p != end) return std::nullopt;
    return ProductVersion{parts[0], parts[1], parts[2], parts[3]};
}

std::string currentVersionText() {
    auto v = ReadProductVersion();
    if (!v) return "0.0.0.0";
    return std::to_string(v->major) + "." + std::to_string(v->minor) + "." + std::to_string(v->release) + "." +
           std::to_string(v->build);
}

}  // namespace app
