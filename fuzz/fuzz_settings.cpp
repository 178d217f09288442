// "Configurari.ini" made of any bytes: read, written back with both switches
// (the rest of the file kept), and read again, which must give the switches
// just written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "app/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/cv_fuzz_settings_" + std::to_string(::getpid()) + ".ini";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    app::switches() = app::Switches{};
    app::readSettings(path);
    const bool version = size > 0 && (data[0] & 1), backup = size > 0 && (data[0] & 2);
    app::switches().versionCheck = version;
    app::switches().backup = backup;
    try {
        app::writeSettings(path);
    } catch (const std::runtime_error&) {
        return 0;  // refused (too large): nothing was written
    }
    app::switches() = app::Switches{!version, !backup, {}};
    app::readSettings(path);
    if (app::switches().versionCheck != version || app::switches().backup != backup) __builtin_trap();
    return 0;
}
