// Finds the table references of a statement in the program's SQL dialect so
// that they can be pointed at the attached table files.
#pragma once
#include <string>
#include <vector>

namespace data {

struct TableRef {
    size_t offset = 0, length = 0;  // the reference's text in the statement
    std::string name;               // unquoted: "Venituri.DB", "Venituri"
    bool canAlias = false;          // FROM / JOIN / UPDATE position
    bool hasAlias = false;          // an alias follows
    bool qualifier = false;         // "Venituri.DB".Field: a column qualifier
};

// Table references after FROM (and its comma list), JOIN, UPDATE, INTO and
// TABLE, and quoted file names used as column qualifiers.
std::vector<TableRef> findTableRefs(const std::string& sql);

// Base name of a reference: directory and ".DB" extension stripped.
std::string tableBaseName(const std::string& ref);

}  // namespace data
