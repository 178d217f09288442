// A new installation for a test: made once per test run and copied (making
// one takes a while: every table file is written durably), and the unit's
// record as a test wants it.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "data/Engine.h"
#include "data/Install.h"
#include "data/Schema.h"
#include "support/TempDir.h"

namespace support {

inline void installInto(const std::string& dir) {
    static TempDir made;
    static bool done = (data::createInstallation(made.path()), true);
    (void)done;
    std::filesystem::copy(made.path(), dir, std::filesystem::copy_options::recursive);
}

// The unit's only record: `values` in `columns`, the others blank.
inline void setUnit(const std::string& dir, const std::vector<std::string>& columns,
                    const std::vector<data::Value>& values) {
    data::SqlSession::forDirectory(dir).execute("DELETE FROM \"Parohia.DB\"");
    data::insertRows(dir + "Parohia.DB", columns, {values});
}

}  // namespace support
