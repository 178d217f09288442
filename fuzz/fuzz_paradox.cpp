// One Paradox table of an older installation with its memo file. The input's
// first two bytes (little endian) give how many of the rest are the table;
// what follows it is the memo file, when there is any.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "import/ParadoxFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t tableSize = data[0] | data[1] << 8;
    data += 2, size -= 2;
    if (tableSize > size) tableSize = size;
    const std::string table = fuzz::scratchFile("T.DB", reinterpret_cast<const char*>(data), tableSize);
    if (size > tableSize)
        fuzz::scratchFile("T.MB", reinterpret_cast<const char*>(data + tableSize), size - tableSize);
    else
        fuzz::removeScratch("T.MB");
    try {
        paradox::ParadoxFile px(table);
        std::vector<data::Value> values;
        for (long long row = 0; row < px.recordCount(); ++row) {
            px.read(row, values);
            fuzz::check(values.size() == px.fields().size(), "one value per field");
        }
    } catch (const paradox::ImportError&) {
    }
    return 0;
}
