// A data set: the rows of a table or query, a current record with its
// state (browse / edit / insert), navigation, editing with events, and the
// notification of the data sources that observe it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/Errors.h"
#include "data/Field.h"
#include "data/Value.h"

namespace data {

class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

// What the data set tells its data sources (and through them the data links).
enum class DataEvent {
    ActiveChanged,    // opened or closed
    DataSetChanged,   // rows changed wholesale (refresh, post, cancel, delete, insert)
    Scrolled,         // the current record moved; info = distance
    RecordChanged,    // a field of the current record changed; field given
    StateChanged,     // browse / edit / insert
    UpdateRecord,     // before post: controls write their pending text into the fields
    CheckBrowseMode,  // before leaving edit: controls commit their edits
    LayoutChanged,    // fields or order changed
};

struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;
};

// A record as the data set read it: values in the order of the stored fields,
// and which of them it read (the fields it declares). A post or delete writes
// the stored record only while these values are still there.
struct RecordImage {
    std::vector<Value> values;
    std::vector<bool> read;
};

class DataSet {
public:
    DataSet();
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // --- life cycle
    void open();
    void close();
    bool active() const { return state_ != DataSetState::Inactive; }
    void setActive(bool a) { a ? open() : close(); }
    DataSetState state() const { return state_; }
    virtual std::string name() const = 0;  // used in messages
    // The data set's source for messages: the table and its file.
    virtual std::string sourceText() const { return name(); }

    // --- fields
    // Declares the fields the owner uses (its persistent field list). Opening
    // fails when the stored data lacks one. Empty list = every stored field.
    void setDeclaredFields(std::vector<std::string> names);
    // Adds a calculated field, filled by onCalcFields for every record read.
    void addCalculatedField(const std::string& name, FieldType type, int size = 0);
    const std::vector<std::unique_ptr<Field>>& fields() const { return fields_; }
    Field* findField(const std::string& name) const;
    Field& fieldByName(const std::string& name) const;
    // Fields are created on open; presentation set before open is kept by name.
    Field& operator[](const std::string& name) const { return fieldByName(name); }
    // Display settings applied to a field whenever the data set opens.
    struct FieldSetup {
        std::string displayLabel, displayFormat, editFormat, editMask;
        bool required = false, readOnly = false, visible = true;
        bool amount = false;
        int displayWidth = 0;
        std::function<void(Field&)> onValidate, onChange;
        // An amount of money: shown "#,##0.00", edited "0.00", typed through
        // the amount parser and kept to the ban.
        FieldSetup& asAmount();
    };
    FieldSetup& setup(const std::string& fieldName);

    // --- navigation
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const;
    int recordCount() const;
    int recNo() const;  // 1-based; 0 when empty
    void setRecNo(int n);
    void refresh();

    // --- editing
    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void del();
    // Posts a modified record, cancels an unmodified one.
    void checkBrowseMode();
    bool modified() const { return modified_; }
    bool canModify() const { return !readOnly_ && backendCanModify(); }
    void setReadOnly(bool r) { readOnly_ = r; }
    bool readOnly() const { return readOnly_; }
    bool editing() const { return state_ == DataSetState::Edit || state_ == DataSetState::Insert; }

    // --- events (in the order the engine raises them)
    using Handler = std::function<void(DataSet&)>;
    Handler beforeOpen, afterOpen, beforeClose, afterClose;
    Handler beforeInsert, onNewRecord, afterInsert;
    Handler beforeEdit, afterEdit;
    Handler beforePost, afterPost;
    Handler beforeCancel, afterCancel;
    Handler beforeDelete, afterDelete;
    Handler beforeScroll, afterScroll;
    Handler onCalcFields;
    // Inside onCalcFields: the 0-based row being computed in the current
    // order, or -1 for a record being inserted (it has no position yet).
    int calcRow() const { return calcRow_; }

    // --- rows other than the current one (grids, reports)
    // Values of row `index` (0-based) including calculated fields.
    std::vector<Value> rowValues(int index);
    // Index of the row shown as current; during insert the new row's position.
    int currentIndex() const { return cur_; }
    // During insert: whether the new row was appended at the end.
    bool insertingAtEnd() const { return insertAtEnd_; }

    // --- observers
    void addSource(DataSource* s);
    void removeSource(DataSource* s);
    void notify(DataEvent e, Field* f = nullptr, int info = 0);
    void disableControls() { ++disableCount_; }
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }

    // Record buffer access used by Field.
    const Value& bufferValue(int index) const { return buffer_[index]; }
    void setFieldValue(Field& f, const Value& v);

protected:
    // --- backend: a table or a query
    virtual std::vector<FieldDef> backendOpen() = 0;  // returns the stored fields
    virtual void backendClose() = 0;
    virtual int backendRowCount() const = 0;
    // Fills `stored` with the row's values in the order of the stored fields;
    // false when the row is no longer stored (deleted by another program).
    virtual bool backendLoadRow(int index, std::vector<Value>& stored) = 0;
    virtual bool backendCanModify() const { return false; }
    // Inserts the record (values in stored order); returns the new row's index.
    virtual int backendInsert(const std::vector<Value>& stored, const std::vector<bool>& assigned);
    // Updates the row, which must still hold `original`; returns its index
    // afterwards (the order may move it). Throws StaleRecordError otherwise.
    virtual int backendUpdate(int index, const std::vector<Value>& stored, const std::vector<bool>& changed,
                              const RecordImage& original);
    // Deletes the row, which must still hold `original` (else StaleRecordError).
    virtual void backendDelete(int index, const RecordImage& original);
    // Re-reads the rows; returns the index of the row that was at `keepIndex`, or -1.
    virtual int backendRefresh(int keepIndex) = 0;
    // Hook for master-detail: values assigned to a new record before onNewRecord.
    virtual void initNewRecord() {}

    // Re-reads the current record and tells observers (after order/filter changes).
    void resyncTo(int index);
    int dataFieldCount() const { return static_cast<int>(dataFieldCount_); }
    // Value of a stored column in the record being inserted (master-detail).
    void assignStored(const std::string& fieldName, const Value& v);

private:
    bool loadCurrent();
    void calcFields(std::vector<Value>& rec, int row);
    void moveTo(int index, bool fireScroll);
    void beginInsert(bool atEnd);
    void updateRecord();
    void requireBrowse();

    void toStored(std::vector<Value>& stored, std::vector<bool>& flags, bool onlyChanged) const;
    RecordImage imageOf(const std::vector<Value>& rec) const;
    // After a post or delete found its record changed by another program:
    // back to browsing, the rows read again, the record shown as stored now.
    void showStoredAfterConflict();
    void fromStored(const std::vector<Value>& stored, std::vector<Value>& rec) const;

    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<FieldDef> storedDefs_;
    std::vector<int> storedIndex_;  // data field -> stored column
    std::vector<std::string> declared_;
    struct CalcDef {
        std::string name;
        FieldType type;
        int size;
    };
    std::vector<CalcDef> calcDefs_;
    std::vector<std::pair<std::string, FieldSetup>> setups_;
    size_t dataFieldCount_ = 0;

    std::vector<Value> buffer_;     // current record (data + calculated)
    std::vector<Value> oldBuffer_;  // the record as read, while editing
    std::vector<bool> assigned_;
    DataSetState state_ = DataSetState::Inactive;
    int cur_ = -1;
    int calcRow_ = -1;
    int savedCur_ = -1;  // current row before an insert
    bool insertAtEnd_ = false;
    bool eof_ = true, bof_ = true;
    bool modified_ = false;
    bool readOnly_ = false;
    int disableCount_ = 0;
    bool pendingChange_ = false;
    std::vector<DataSource*> sources_;
};

}  // namespace data
