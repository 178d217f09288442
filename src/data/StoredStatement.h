// Statements a calculation keeps as text, line by line, run as queries over
// the tables of a database directory, and the transaction of the SQL session
// that one run's statements share.
#pragma once
#include <string>
#include <vector>

#include "data/Engine.h"
#include "data/Query.h"

namespace data {

struct StoredStatement {
    const char* name;
    std::vector<const char*> lines;
};

// `q` set to run `s` over the tables of `dir`.
void prepareStored(Query& q, const StoredStatement& s, const std::string& dir);
// Runs `s` over the tables of `dir` with the named parameters.
void executeStored(const StoredStatement& s, const std::string& dir, const std::vector<Param>& params = {});

// The database directory of a run: `dir` with a trailing slash, the
// program's directory when `dir` is empty.
std::string runDirectory(const std::string& dir);
// The path of a table file in `dir` whatever its letter case; `dir` + `name`
// when there is none.
std::string tableFileIn(const std::string& dir, const std::string& name);

// One run's statements in one transaction of the directory's SQL session.
// `tables` names every table the run reads or writes, so that the session
// has them attached before the transaction starts (it lets go of tables only
// outside a transaction). Left without commit() (an error), the transaction
// keeps what the run wrote or rolls it back, as asked.
class RunTransaction {
public:
    enum class OnError { Keep, RollBack };
    RunTransaction(const std::string& dir, const StoredStatement& tables, OnError onError);
    ~RunTransaction();
    RunTransaction(const RunTransaction&) = delete;
    RunTransaction& operator=(const RunTransaction&) = delete;
    void commit();

private:
    SqlSession& session_;
    OnError onError_;
    bool open_ = true;
};

}  // namespace data
