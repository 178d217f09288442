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
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db.get()) : "cannot create";
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
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "error";
        sqlite3_free(err);
        db.reset();
        std::remove(path.c_str());
        throw EngineError("Cannot create table (" + msg + "). File: " + path);
    }
}

void insertRows(const std::string& path, const std::vector<std::string>& columns,
                const std::vector<std::vector<Value>>& rows) {
    Connection conn = openTableConnection(path);
    sqlite3* db = conn.get();
    std::string table = tableNameInFile(db, path);
    std::string sql = "INSERT INTO " + quoteIdent(table) + " (";
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdent(columns[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    Transaction tx(db, path);
    Statement st = prepareStatement(db, sql, path);
    for (const auto& row : rows) {
        sqlite3_reset(st.get());
        for (size_t i = 0; i < columns.size(); ++i) bindValue(st.get(), static_cast<int>(i + 1), i < row.size() ? row[i] : Value());
        if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, path);
    }
    tx.commit();
}

}  // namespace data
