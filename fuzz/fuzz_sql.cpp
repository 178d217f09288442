// The program's SQL statements, taken apart to point their tables at the
// table files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "data/SqlTranslate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    size_t end = 0;
    for (const data::TableRef& r : data::findTableRefs(sql)) {
        fuzz::check(r.offset >= end && r.length > 0 && r.offset + r.length <= sql.size(),
                    "references in order, inside the statement, not overlapping");
        end = r.offset + r.length;
        data::tableBaseName(r.name);
    }
    if (const auto split = data::splitInsertSelect(sql)) {
        fuzz::check(!split->table.empty() && !split->columns.empty(), "an INSERT ... SELECT has its target");
        fuzz::check(sql.find(split->select) != std::string::npos, "the SELECT is part of the statement");
    }
    return 0;
}
