// Table definitions and the creation of table files. Each table is one SQLite
// file holding one table whose declared column types carry the field types.
#pragma once
#include <string>
#include <vector>

#include "data/DataSet.h"

struct sqlite3;

namespace data {

struct ColumnDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;  // characters, for text fields
};

struct IndexSpec {
    std::string name;
    std::vector<std::string> fields;
    bool unique = false;
    bool caseInsensitive = false;
};

struct TableSpec {
    std::string fileName;  // "Venituri.DB"; may hold a sub-directory: "PAROHII/Bilant.DB"
    std::vector<ColumnDef> columns;
    std::vector<std::string> primaryKey;
    std::vector<IndexSpec> indexes;
};

// Declared column type for a field type ("VARCHAR(100)", "SMALLINT", "FLOAT", ...).
std::string declaredType(FieldType type, int size);
// Field type from a declared column type, as written by declaredType or by
// "Alter Table ... ADD name TYPE" ("BOOLEAN", "INTEGER", "CHAR(20)", ...).
FieldDef fieldDefFromDeclared(const std::string& name, const std::string& declared);

// The table of a table file that keeps the high-water marks of the row
// identity ("#rowid") and of every autoincrement field, so that no value is
// ever given twice, even after the last row was deleted.
inline const std::string kSequenceTable = "cv_sequence";
inline const std::string kRowidSequence = "#rowid";

// Adds the identity bookkeeping to a table file when it lacks it (files of
// older builds): the sequence table, seeded with the largest values present,
// and a trigger that numbers blank autoincrement fields on every insert and
// moves a new row whose identity was given before. Runs inside the caller's
// write transaction. `schema` is "main" or the name of an attached file.
void prepareForWrites(sqlite3* db, const std::string& schema, const std::string& table, const std::string& path);
bool writesPrepared(sqlite3* db, const std::string& schema);

// Creates the table file `path`. Throws EngineError when the file exists.
void createTableFile(const std::string& path, const TableSpec& spec);
// Adds rows in one transaction; values are converted to the columns' types.
void insertRows(const std::string& path, const std::vector<std::string>& columns,
                const std::vector<std::vector<Value>>& rows);

}  // namespace data
