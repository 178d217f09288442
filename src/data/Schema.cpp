#include "data/Schema.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <sys/stat.h>

#include "data/Engine.h"
#include "data/Format.h"
#include "data/SqlTranslate.h"

namespace data {

std::string declaredType(FieldType type, int size) {
    switch (type) {
        case FieldType::String: return "VARCHAR(" + std::to_string(size > 0 ? size : 255) + ")";
        case FieldType::SmallInt: return "SMALLINT";
        case FieldType::Integer: return "INTEGER";
        case FieldType::Float: return "FLOAT";
        case FieldType::Date: return "DATE";
        case FieldType::Boolean: return "BOOLEAN";
        case FieldType::AutoInc: return "AUTOINC";
    }
    return "VARCHAR(255)";
}

FieldDef fieldDefFromDeclared(const std::string& name, const std::string& declared) {
    std::string d;
    for (char c : declared) d += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FieldDef f{name, FieldType::String, 255};
    auto sizeIn = [&](int def) {
        auto p = d.find('(');
        return p == std::string::npos ? def : std::atoi(d.c_str() + p + 1);
    };
    if (d.starts_with("AUTOINC")) f.type = FieldType::AutoInc, f.size = 0;
    else if (d.starts_with("SMALLINT") || d.starts_with("SHORT")) f.type = FieldType::SmallInt, f.size = 0;
    else if (d.starts_with("INT") || d.starts_with("LONG") || d.starts_with("BIGINT")) f.type = FieldType::Integer, f.size = 0;
    else if (d.starts_with("FLOAT") || d.starts_with("DOUBLE") || d.starts_with("NUMERIC") || d.starts_with("NUMBER") ||
             d.starts_with("MONEY") || d.starts_with("REAL") || d.starts_with("DECIMAL"))
        f.type = FieldType::Float, f.size = 0;
    else if (d.starts_with("DATE")) f.type = FieldType::Date, f.size = 0;
    else if (d.starts_with("BOOL") || d.starts_with("LOGICAL")) f.type = FieldType::Boolean, f.size = 0;
    else f.type = FieldType::String, f.size = sizeIn(255);
    return f;
}

static std::string quoteIdent(const std::string& s) {
    std::string r = "\"";
    for (char c : s) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

void createTableFile(const std::string& path, const TableSpec& spec) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) throw EngineError("Table already exists. File: " + path);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : "cannot create";
        sqlite3_close(db);
        throw EngineError("Cannot create table (" + msg + "). File: " + path);
    }
    std::string table = tableBaseName(spec.fileName.empty() ? path : spec.fileName);
    std::string sql = "BEGIN; CREATE TABLE " + quoteIdent(table) + " (";
    for (size_t i = 0; i < spec.columns.size(); ++i) {
        if (i) sql += ", ";
        sql += quoteIdent(spec.columns[i].name) + " " + declaredType(spec.columns[i].type, spec.columns[i].size);
    }
    if (!spec.primaryKey.empty()) {
        sql += ", PRIMARY KEY (";
        for (size_t i = 0; i < spec.primaryKey.size(); ++i) sql += (i ? ", " : "") + quoteIdent(spec.primaryKey[i]);
        sql += ")";
    }
    sql += ");";
    for (const auto& ix : spec.indexes) {
        sql += std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoteIdent(ix.name) + " ON " +
               quoteIdent(table) + " (";
        for (size_t i = 0; i < ix.fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdent(ix.fields[i]) + (ix.caseInsensitive ? " COLLATE NOCASE" : "");
        sql += ");";
    }
    sql += "COMMIT;";
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        sqlite3_close(db);
        std::remove(path.c_str());
        throw EngineError("Cannot create table (" + msg + "). File: " + path);
    }
    sqlite3_close(db);
}

void insertRows(const std::string& path, const std::vector<std::string>& columns,
                const std::vector<std::vector<Value>>& rows) {
    sqlite3* db = openTableConnection(path);
    try {
        std::string table = tableNameInFile(db, path);
        std::string sql = "INSERT INTO " + quoteIdent(table) + " (";
        std::string marks;
        for (size_t i = 0; i < columns.size(); ++i) {
            sql += (i ? ", " : "") + quoteIdent(columns[i]);
            marks += i ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        execSql(db, "BEGIN IMMEDIATE", path);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throwSqlite(db, path);
        }
        for (const auto& row : rows) {
            sqlite3_reset(st);
            for (size_t i = 0; i < columns.size(); ++i) bindValue(st, static_cast<int>(i + 1), i < row.size() ? row[i] : Value());
            if (sqlite3_step(st) != SQLITE_DONE) {
                sqlite3_finalize(st);
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                throwSqlite(db, path);
            }
        }
        sqlite3_finalize(st);
        execSql(db, "COMMIT", path);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

}  // namespace data
