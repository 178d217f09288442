#include "data/Schema.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <sys/stat.h>

#include "data/Engine.h"
#include "data/Format.h"
#include "data/SqlTranslate.h"
#include "data/SqliteHandle.h"

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
    if (d.starts_with("AUTOINC"))
        f.type = FieldType::AutoInc, f.size = 0;
    else if (d.starts_with("SMALLINT") || d.starts_with("SHORT"))
        f.type = FieldType::SmallInt, f.size = 0;
    else if (d.starts_with("INT") || d.starts_with("LONG") || d.starts_with("BIGINT"))
        f.type = FieldType::Integer, f.size = 0;
    else if (d.starts_with("FLOAT") || d.starts_with("DOUBLE") || d.starts_with("NUMERIC") || d.starts_with("NUMBER") ||
             d.starts_with("MONEY") || d.starts_with("REAL") || d.starts_with("DECIMAL"))
        f.type = FieldType::Float, f.size = 0;
    else if (d.starts_with("DATE"))
        f.type = FieldType::Date, f.size = 0;
    else if (d.starts_with("BOOL") || d.starts_with("LOGICAL"))
        f.type = FieldType::Boolean, f.size = 0;
    else
        f.type = FieldType::String, f.size = sizeIn(255);
    return f;
}

bool writesPrepared(sqlite3* db, const std::string& schema) {
    Statement st =
        prepareStatement(db, "SELECT 1 FROM " + quoteIdent(schema) +
                                 ".sqlite_master WHERE type='table' AND name = " + quoteText(kSequenceTable));
    return sqlite3_step(st.get()) == SQLITE_ROW;
}

void prepareForWrites(sqlite3* db, const std::string& schema, const std::string& table, const std::string& path) {
    if (writesPrepared(db, schema)) return;
    // Which fields are autoincrement, and whether the row identity is the key
    // itself (an INTEGER PRIMARY KEY field: its values are the user's).
    std::vector<std::string> autoinc;
    int keyFields = 0;
    bool integerKey = false;
    {
        Statement st =
            prepareStatement(db, "PRAGMA " + quoteIdent(schema) + ".table_info(" + quoteIdent(table) + ")", path);
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2));
            std::string type = t ? t : "";
            if (fieldDefFromDeclared(name, type).type == FieldType::AutoInc) autoinc.push_back(name);
            if (sqlite3_column_int(st.get(), 5) > 0) {
                ++keyFields;
                integerKey = iequals(type, "INTEGER");
            }
        }
    }
    bool rowidIsKey = keyFields == 1 && integerKey;
    const std::string S = quoteIdent(schema) + ".", T = quoteIdent(table), Q = S + quoteIdent(kSequenceTable);
    std::string sql = "CREATE TABLE " + Q + " (name TEXT PRIMARY KEY, seq INTEGER NOT NULL);";
    if (!rowidIsKey)
        sql += "INSERT INTO " + Q + " VALUES (" + quoteText(kRowidSequence) +
               ", (SELECT COALESCE(MAX(rowid), 0) FROM " + S + T + "));";
    for (const auto& f : autoinc)
        sql += "INSERT INTO " + Q + " VALUES (" + quoteText(f) + ", (SELECT COALESCE(MAX(" + quoteIdent(f) +
               "), 0) FROM " + S + T + "));";
    // Inside the trigger, names are those of the trigger's own file.
    const std::string seqOf = "(SELECT seq FROM " + quoteIdent(kSequenceTable) + " WHERE name = ";
    std::string body;
    for (const auto& f : autoinc) {
        const std::string F = quoteIdent(f), name = quoteText(f),
                          stored = "(SELECT " + F + " FROM " + T + " WHERE rowid = NEW.rowid)";
        body += "UPDATE " + T + " SET " + F + " = " + seqOf + name + ") + 1 WHERE rowid = NEW.rowid AND NEW." + F +
                " IS NULL;";
        body += "UPDATE " + quoteIdent(kSequenceTable) + " SET seq = " + stored + " WHERE name = " + name +
                " AND seq < " + stored + ";";
    }
    if (!rowidIsKey) {
        const std::string name = quoteText(kRowidSequence), top = "(SELECT MAX(rowid) FROM " + T + ")";
        body += "UPDATE " + T + " SET rowid = " + seqOf + name +
                ") + 1 WHERE rowid = NEW.rowid AND NEW.rowid <= " + seqOf + name + ");";
        body += "UPDATE " + quoteIdent(kSequenceTable) + " SET seq = " + top + " WHERE name = " + name + " AND seq < " +
                top + ";";
    }
    if (!body.empty())
        sql += "CREATE TRIGGER " + S + quoteIdent("cv_identity") + " AFTER INSERT ON " + T + " BEGIN " + body + " END;";
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        throwSqlite(db, path);
    }
}

void createTableFile(const std::string& path, const TableSpec& spec) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) throw EngineError("Tabela exista deja. Fisierul: " + path);
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db.get()) : "cannot create";
        throw EngineError("Tabela nu poate fi creata (" + msg + "). Fisierul: " + path);
    }
    UndoUnlessDone removeFile([&] {
        db.reset();
        std::remove(path.c_str());
    });
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
    char* err = nullptr;
    if (sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "eroare";
        sqlite3_free(err);
        throw EngineError("Tabela nu poate fi creata (" + msg + "). Fisierul: " + path);
    }
    prepareForWrites(db.get(), "main", table, path);
    execSql(db.get(), "COMMIT", path);
    removeFile.done();
}

void insertRows(const std::string& path, const std::vector<std::string>& columns,
                const std::vector<std::vector<Value>>& rows) {
    Connection conn = openTableConnection(path);
    sqlite3* db = conn.get();
    std::string table = findTableInFile(db, "main", path);
    std::string sql = "INSERT INTO " + quoteIdent(table) + " (";
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdent(columns[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    Transaction tx(db, path);
    prepareForWrites(db, "main", table, path);
    Statement st = prepareStatement(db, sql, path);
    for (const auto& row : rows) {
        sqlite3_reset(st.get());
        for (size_t i = 0; i < columns.size(); ++i)
            bindValue(st.get(), static_cast<int>(i + 1), i < row.size() ? row[i] : Value());
        if (sqlite3_step(st.get()) != SQLITE_DONE) throwSqlite(db, path);
    }
    tx.commit();
}

}  // namespace data
