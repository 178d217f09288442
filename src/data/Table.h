// A table data set over one table file, with orders, key searches,
// locate and master-detail.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "data/Journal.h"
#include "data/SqliteHandle.h"

struct sqlite3;
struct sqlite3_stmt;

namespace data {

struct IndexDef {
    std::string name;  // "" for the primary key
    std::vector<std::string> fields;
    bool primary = false, unique = false, caseInsensitive = false;
};

struct LocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;  // the field starts with the text
};

class Table : public DataSet {
public:
    Table();
    ~Table() override;

    // Directory of the table ("" = AppDir) and its bare file name.
    void setDatabaseName(const std::string& dir) { dir_ = dir; }
    const std::string& databaseName() const { return dir_; }
    void setTableName(const std::string& name) { tableName_ = name; }
    const std::string& tableName() const { return tableName_; }
    void setExclusive(bool e) { exclusive_ = e; }
    std::string name() const override { return tableName_; }
    std::string sourceText() const override;
    // Full path of the table file (resolved when opened).
    std::string filePath() const;
    // Whether the file is write-protected: it opens for reading, a post says so.
    bool writeProtected() const { return fileReadOnly_; }
    // The identity of the current record in its file (never given twice);
    // -1 for none (an empty table, a record being inserted).
    long long currentRowid() const;

    // --- orders; switching keeps the current record
    void setIndexName(const std::string& name);  // "" = primary key (or entry order)
    const std::string& indexName() const { return indexName_; }
    void setIndexFieldNames(const std::string& fields);  // "Denumire;Cod"
    const std::string& indexFieldNames() const { return indexFieldNames_; }
    std::vector<IndexDef> indexDefs() const;
    void addIndex(const std::string& name, const std::string& fields, bool caseInsensitive, bool unique = false);
    // Fields of the current order.
    std::vector<std::string> orderFields() const;

    // --- searches on the current order's fields
    bool findKey(const std::vector<Value>& key);
    void findNearest(const std::vector<Value>& key);
    bool locate(const std::string& field, const Value& value, LocateOptions opts = {});

    // --- master-detail: rows whose detail fields equal the master's current values
    void setMasterSource(DataSource* master);
    void setMasterFields(const std::string& fields);  // "Cod_enorias"

    // --- a step of every insert taken inside its write transaction, under the
    // file's write lock, just before the row is written: it sees the rows every
    // other writer committed and may still change the values written (a
    // document's number). An exception it throws cancels the insert.
    class InsertStep {
    public:
        // The largest stored value of `field`; NULL when no row has one.
        Value largest(const std::string& field) const;
        const Value& value(const std::string& field) const;
        void setValue(const std::string& field, const Value& v);

    private:
        friend class Table;
        InsertStep(const Table& t, std::vector<Value>& values, std::vector<bool>& assigned)
            : t_(t), values_(values), assigned_(assigned) {}
        const Table& t_;
        std::vector<Value>& values_;
        std::vector<bool>& assigned_;
    };
    std::function<void(InsertStep&)> beforeInsertWrite;

    // --- stored fields
    std::vector<FieldDef> fieldDefs();  // opens the file if needed
    bool hasField(const std::string& name);
    void emptyTable();

protected:
    std::vector<FieldDef> backendOpen() override;
    void backendClose() override;
    int backendRowCount() const override { return static_cast<int>(rowids_.size()); }
    bool backendLoadRow(int index, std::vector<Value>& values) override;
    // A write-protected file opens and edits; posting says it is write-protected.
    bool backendCanModify() const override { return true; }
    int backendInsert(const std::vector<Value>& values, const std::vector<bool>& assigned) override;
    int backendUpdate(int index, const std::vector<Value>& values, const std::vector<bool>& changed,
                      const RecordImage& original) override;
    void backendDelete(int index, const RecordImage& original) override;
    int backendRefresh(int keepIndex) override;
    void initNewRecord() override;

private:
    class MasterLink;
    void loadRowids();
    bool readRow(long long rowid, std::vector<Value>& values);
    void beginWrite();
    // The change journal's entry of a change, written in the table's own file.
    std::vector<journal::FieldValue> journalFields(const std::vector<Value>& row,
                                                   const std::vector<size_t>& cols) const;
    void writeJournal(const char* action, long long rowid, const std::vector<Value>& keyRow,
                      const std::vector<journal::FieldValue>& before, const std::vector<journal::FieldValue>& after);
    void prepareWrites();
    void checkBlankKeys(const std::vector<Value>& row, long long ownRowid);
    std::vector<Value> checkUnchanged(long long rowid, const RecordImage& original);
    int indexOfRowid(long long rowid) const;
    size_t storedColumn(const std::string& field) const;
    bool orderIgnoresCase() const;
    std::string orderClause() const;
    std::string whereClause() const;
    void bindWhere(sqlite3_stmt* st, int first) const;
    void reorder();
    void masterChanged();
    [[noreturn]] void raise(const std::string& context);
    std::vector<Value> masterValues() const;
    // Rowid of the first row in the current order (and master filter) meeting `cond`; -1 if none.
    long long firstMatch(const std::string& cond, const std::vector<Value>& vals);
    std::vector<Value> keyValues(const std::vector<Value>& key, std::vector<std::string>& fields);

    std::string dir_, tableName_, indexName_, indexFieldNames_, masterFieldsText_;
    std::string path_, canonical_, sqlName_;
    bool exclusive_ = false, acquired_ = false, fileReadOnly_ = false;
    bool writesPrepared_ = false, rowidIsKey_ = false;
    bool journalled_ = false, journalOn_ = false, journalChecked_ = false, isJournal_ = false;
    Connection db_;
    Statement rowStmt_;
    std::vector<FieldDef> stored_;
    std::vector<IndexDef> indexes_;
    std::vector<long long> rowids_;
    DataSource* master_ = nullptr;
    std::unique_ptr<MasterLink> masterLink_;
    std::vector<std::string> masterFields_;
};

}  // namespace data
