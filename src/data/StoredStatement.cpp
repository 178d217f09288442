#include "data/StoredStatement.h"

#include "data/AppDir.h"

namespace data {

void prepareStored(Query& q, const StoredStatement& s, const std::string& dir) {
    q.queryName = s.name;
    q.setDatabaseName(dir);
    q.sql.assign(s.lines.begin(), s.lines.end());
}

void executeStored(const StoredStatement& s, const std::string& dir, const std::vector<Param>& params) {
    Query q;
    prepareStored(q, s, dir);
    for (const Param& p : params) q.setParam(p.name, p.value);
    q.execSql();
}

std::string runDirectory(const std::string& dir) { return withSlash(dir.empty() ? AppDir() : dir); }

std::string tableFileIn(const std::string& dir, const std::string& name) {
    std::string found = resolveTableFile(dir, name);
    return found.empty() ? dir + name : found;
}

RunTransaction::RunTransaction(const std::string& dir, const StoredStatement& tables, OnError onError)
    : session_(SqlSession::forDirectory(dir)), onError_(onError) {
    Query q;
    prepareStored(q, tables, dir);
    q.open();
    q.close();
    session_.execute("BEGIN");
}

RunTransaction::~RunTransaction() {
    if (!open_) return;
    if (onError_ == OnError::Keep) {
        try {
            session_.execute("COMMIT");
            return;
        } catch (...) {
        }
    }
    try {
        session_.execute("ROLLBACK");
    } catch (...) {
    }
}

void RunTransaction::commit() {
    session_.execute("COMMIT");
    open_ = false;
}

}  // namespace data
