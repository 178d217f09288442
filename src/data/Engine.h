// The engine session: resolves bare table names in a directory (letter case
// ignored), keeps track of which table files are open (shared or exclusive),
// and runs SQL statements over the table files it attaches.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/SqliteHandle.h"
#include "data/Value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data {

// Finds the file of a table named `name` ("Venituri.DB", "venituri", "PAROHII\Bilant.DB")
// in `dir`, letter case ignored; tries the name as given, then with ".DB".
// Returns an empty string when there is no such file.
// A name that is a symbolic link, a directory or any other non-regular file
// is refused (EngineError naming it): a table is always the file itself.
std::string resolveTableFile(const std::string& dir, const std::string& name);
// Refuses, naming it, a table file that is not a regular file (a symbolic
// link included). A missing file passes.
void requireTableFileType(const std::string& path);
// Directory with a trailing separator.
std::string withSlash(const std::string& dir);
// Canonical absolute path used as the identity of a file.
std::string canonicalPath(const std::string& path);

// An identifier between double quotes, inner quotes doubled: the one way every
// table, field, index and schema name enters an SQL text.
std::string quoteIdent(const std::string& name);
// A text literal between single quotes, inner quotes doubled.
std::string quoteText(const std::string& text);

// Whether the file is write-protected: not writable by this process, or
// marked read-only (no write permission for anyone).
bool fileWriteProtected(const std::string& path);
// Opens a table file as an SQLite connection, checking that it is one. Throws
// EngineError naming the file otherwise. Never creates the file. A
// write-protected file is opened for reading.
Connection openTableConnection(const std::string& path, bool readOnly = false);
// Keeps the file `schema` in the rollback-journal mode (DELETE), which the
// commit over several files needs to be all or nothing: a file left in
// write-ahead-log mode by another tool is switched back, and refused, naming
// it, when it cannot be.
void requireRollbackJournal(sqlite3* db, const std::string& schema, const std::string& path);
// The name of the table a table file holds: the table named after the file
// ("Venituri" in "Venituri.DB"), or the one table of a template copied over it
// (same layout). Throws EngineError naming the file when it holds another table.
// `schema` is "main" or the name of an attached file.
std::string findTableInFile(sqlite3* db, const std::string& schema, const std::string& path);
// Stored field names of a table, in order.
std::vector<std::string> tableColumns(sqlite3* db, const std::string& schema, const std::string& table);
// Refuses, naming the file and the fields, a file of a core table that lacks
// fields of the table's layout.
void checkRequiredColumns(sqlite3* db, const std::string& schema, const std::string& table, const std::string& path);
// Message for a write-protected table file.
std::string writeProtectedMessage(const std::string& path);
[[noreturn]] void throwSqlite(sqlite3* db, const std::string& context = {});
void execSql(sqlite3* db, const char* sql, const std::string& context = {});
// Binds a value to a statement parameter in storage form (dates as ISO text).
void bindValue(sqlite3_stmt* st, int index, const Value& v);
// Reads a column; `declared` picks the type (DATE columns become dates).
Value columnValue(sqlite3_stmt* st, int col);

// Table files open in this process, and their use by other programs.
class OpenFiles {
public:
    static OpenFiles& instance();
    // Throws EngineError "Table is busy" when another program holds the file
    // exclusively, or holds it at all and `exclusive` is asked.
    void acquire(const std::string& canonical, bool exclusive);
    void release(const std::string& canonical, bool exclusive);
    bool isOpen(const std::string& canonical) const;
    bool isExclusive(const std::string& canonical) const;
    // Whether another program has the file open for exclusive use.
    bool heldByAnotherProgram(const std::string& canonical) const;
    // Whether another program has the file open at all, shared or exclusive
    // (a file open in this process counts as ours, never as another's).
    bool openInAnotherProgram(const std::string& canonical) const;
};

// Result of a SELECT: column names, declared types and rows.
struct ResultSet {
    std::vector<std::string> columns;
    std::vector<std::string> declaredTypes;
    std::vector<std::vector<Value>> rows;
};

struct Param {
    std::string name;  // without the colon
    Value value;
};

// Runs SQL statements of the program's dialect over the table files of one directory.
class SqlSession {
public:
    static SqlSession& forDirectory(const std::string& dir);
    ~SqlSession();

    ResultSet select(const std::string& sql, const std::vector<Param>& params = {});
    // A SELECT whose rows are handed one by one to `row` (read its columns
    // with sqlite3_column_*) instead of being kept: lists of many rows.
    void selectEach(const std::string& sql, const std::vector<Param>& params,
                    const std::function<void(sqlite3_stmt*)>& row);
    // INSERT / UPDATE / DELETE / ALTER TABLE; returns the number of rows changed.
    long long execute(const std::string& sql, const std::vector<Param>& params = {});
    // Detaches a file so that it can be replaced or deleted.
    void releaseFile(const std::string& canonical);
    static void releaseEverywhere(const std::string& canonical);

    const std::string& directory() const { return dir_; }

private:
    explicit SqlSession(std::string dir);
    struct Target {
        std::string path, alias, table;
    };
    Statement prepare(const std::string& sql, const std::vector<Param>& params);
    Statement prepareTranslated(const std::string& translated, const std::vector<Param>& params);
    std::optional<long long> insertSelectInBulk(const std::string& translated, const std::vector<Param>& params);
    [[noreturn]] void fail(const std::vector<Target>& targets);
    std::string dir_;
    Connection db_;
    struct Attached {
        std::string path, alias, table;
        unsigned long long lastUse;
    };
    std::vector<Attached> attached_;
    std::vector<Target> lastTargets_;
    unsigned long long clock_ = 0;
    int aliasCounter_ = 0;
    friend struct SqlSessionAccess;
};

}  // namespace data
