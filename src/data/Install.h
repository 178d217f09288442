// A new installation: every table file the program expects, with its initial
// contents (document kinds, income and expense catalogs, the budget lines),
// the group directories of the centralised budget and the unit tree file.
#pragma once
#include <string>
#include <vector>

#include "data/Schema.h"

namespace data {

// Every table file a new installation has, with fields, types, keys and indexes.
std::vector<TableSpec> installationTables();

// The layout of a table of this program, by the base name of its file
// ("Venituri", "PAROHII/Bilant.DB" gives "Bilant"); null for other tables.
const TableSpec* knownTable(const std::string& name);
// Whether two tables share one layout: a template ("RegGol") holds the table it
// is copied over ("Registru"), the period copy "Bilant1" holds "Bilant".
bool sameLayout(const std::string& a, const std::string& b);
// Fields a file of this table must hold when it is opened: every field of the
// core tables, except those a start-up upgrade adds; none for other tables.
std::vector<std::string> requiredColumns(const std::string& name);

// Creates a new installation in `dir`: every table (empty unless it has initial
// contents), the group directories and "arbore.txt". Refuses, creating nothing at
// all, when any of the files it would create already exists (names compared without
// regard to letter case): throws EngineError naming the first one. A failure part
// way removes what was created. Returns the relative names of what it created, in
// order (directories included).
std::vector<std::string> createInstallation(const std::string& dir);
// The refusal of createInstallation alone: throws EngineError naming the first
// file of an installation that `dir` holds already.
void refuseExistingInstallation(const std::string& dir);

// The built-in unit tree, in the format of "arbore.txt".
std::string builtInTreeText();

}  // namespace data
