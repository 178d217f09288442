// A query data set: an SQL statement held as lines of text, with named
// parameters; SELECT results are read in full when opened.
#pragma once
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/Engine.h"

namespace data {

class Query : public DataSet {
public:
    Query();
    ~Query() override;

    void setDatabaseName(const std::string& dir) { dir_ = dir; }
    const std::string& databaseName() const { return dir_; }
    // The statement's lines; one line may be replaced before the statement runs.
    std::vector<std::string> sql;
    void setSql(const std::string& text);  // splits at line breaks
    std::string sqlText() const;           // lines joined by line breaks
    std::string name() const override { return queryName.empty() ? "Query" : queryName; }
    std::string queryName;

    void setParam(const std::string& name, const Value& v);
    Value param(const std::string& name) const;
    void clearParams() { params_.clear(); }

    // Runs a statement that returns no rows; returns the number of rows changed.
    long long execSql();

protected:
    std::vector<FieldDef> backendOpen() override;
    void backendClose() override { rows_.clear(); }
    int backendRowCount() const override { return static_cast<int>(rows_.size()); }
    bool backendLoadRow(int index, std::vector<Value>& values) override {
        values = rows_[index];
        return true;
    }
    int backendRefresh(int keepIndex) override;

private:
    std::string dir_;
    std::vector<Param> params_;
    std::vector<std::vector<Value>> rows_;
    std::vector<FieldDef> defs_;
};

}  // namespace data
