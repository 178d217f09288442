// Owning handles for SQLite connections and statements, a write transaction
// that rolls back unless committed, and an undo step for other clean-ups.
#pragma once
#include <memory>
#include <string>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept;
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* st) const noexcept;
};

// A connection closed when the handle goes (sqlite3_close_v2).
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
// A prepared statement finalized when the handle goes.
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Prepares `sql` on `db`; throws EngineError with the engine's message and
// `context` (the file) when the statement is refused.
Statement prepareStatement(sqlite3* db, const std::string& sql, const std::string& context = {});

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless committed.
class Transaction {
public:
    Transaction(sqlite3* db, std::string context);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    // COMMIT; on failure rolls back and throws EngineError naming the file.
    void commit();

private:
    sqlite3* db_;
    std::string context_;
    bool open_ = true;
};

// Runs `undo` when it goes out of scope, unless dismissed: the clean-up of a
// step that failed part way.
template <class F>
class UndoUnlessDone {
public:
    explicit UndoUnlessDone(F undo) : undo_(std::move(undo)) {}
    ~UndoUnlessDone() {
        if (armed_) undo_();
    }
    UndoUnlessDone(const UndoUnlessDone&) = delete;
    UndoUnlessDone& operator=(const UndoUnlessDone&) = delete;
    void done() { armed_ = false; }

private:
    F undo_;
    bool armed_ = true;
};

}  // namespace data
