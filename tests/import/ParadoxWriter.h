// Writes Paradox tables with pxlib's own writing functions, for the import's
// tests and benchmark. Text is given as the bytes to store (Windows-1250).
#pragma once
#include <string>
#include <vector>

#include "data/Value.h"

namespace pxtest {

// Paradox field types (pxlib's codes).
enum Type : int {
    Alpha = 0x01,
    Day = 0x02,  // a date
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    AutoInc = 0x16,
    Time = 0x14
};

struct Field {
    std::string name;
    int type;
    int length = 0;  // alpha and memo fields; others take their type's size
};

// Writes the table `path` (replacing it); a NULL value stays blank. Memo
// values longer than what the record holds go into `memoPath`, which must be
// given when the table has memo fields.
// `codePage` other than 0 is written into the header; `keyFields` other than
// 0 makes a keyed table (its first fields form the primary key).
void writeTable(const std::string& path, const std::vector<Field>& fields,
                const std::vector<std::vector<data::Value>>& rows, const std::string& memoPath = {}, int codePage = 0,
                int keyFields = 0);

}  // namespace pxtest
