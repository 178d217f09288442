// Finds the table references of a statement in the program's SQL dialect so
// that they can be pointed at the attached table files.
#pragma once
#include <optional>
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

// "INSERT INTO "schema"."table" (columns) SELECT ..." taken apart, for a
// statement whose target is already schema-qualified (as the SQL session
// rewrites it). Nothing for other statements: VALUES lists, no column list,
// OR-conflict clauses, upserts, RETURNING, more than one statement.
struct InsertSelect {
    std::string schema, table;
    std::vector<std::string> columns;  // unquoted
    std::string select;                // from SELECT or WITH to the end
};
std::optional<InsertSelect> splitInsertSelect(const std::string& sql);

// Base name of a reference: directory and ".DB" extension stripped.
std::string tableBaseName(const std::string& ref);

}  // namespace data
