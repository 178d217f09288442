#include "data/SqliteHandle.h"

#include <sqlite3.h>

#include "data/Engine.h"
#include "data/Errors.h"

namespace data {

void ConnectionCloser::operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }

void StatementFinalizer::operator()(sqlite3_stmt* st) const noexcept { sqlite3_finalize(st); }

Statement prepareStatement(sqlite3* db, const std::string& sql, const std::string& context) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement st(raw);
    if (rc != SQLITE_OK) throwSqlite(db, context);
    return st;
}

Transaction::Transaction(sqlite3* db, std::string context) : db_(db), context_(std::move(context)) {
    execSql(db_, "BEGIN IMMEDIATE", context_);
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
        open_ = false;
        return;
    }
    // the destructor rolls back
    throw EngineError(std::string(sqlite3_errmsg(db_)) + (context_.empty() ? "" : ". File: " + context_));
}

}  // namespace data
