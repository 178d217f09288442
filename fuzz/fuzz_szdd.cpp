// A compressed file copied whole (the installation's templates and the old
// installation's files may come SZDD-compressed): the input follows the SZDD
// signature.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "data/FileCopy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes("SZDD\x88\xF0\x27\x33", 8);
    bytes.append(reinterpret_cast<const char*>(data), size);
    const std::string source = fuzz::scratchFile("sursa.DB_", bytes.data(), bytes.size());
    const std::string dest = fuzz::scratchDir() + "/copie.DB";
    try {
        data::CopyWholeFile(source, dest);
    } catch (const data::FileError&) {
    }
    fuzz::removeScratch("copie.DB");
    return 0;
}
