#include "data/Table.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "data/AppDir.h"
#include "data/Collation.h"
#include "data/Engine.h"
#include "data/Errors.h"
#include "data/Format.h"
#include "data/Journal.h"
#include "data/Schema.h"

namespace data {

namespace {

std::vector<std::string> splitFields(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t semi = s.find(';', start);
        std::string part = trim(s.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (!part.empty()) out.push_back(part);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return out;
}

// The collation of a comparison: names the Romanian way, other values as stored.
std::string collation(bool ignoreCase) {
    return ignoreCase ? std::string(" COLLATE ") + kRomanianCollation : std::string();
}

// A value read from the table file, brought to the field's type.
Value fromStorage(const Value& v, FieldType t) {
    if (v.isNull()) return v;
    switch (t) {
        case FieldType::Date:
            if (v.isString()) {
                auto d = Date::parseIso(v.toString());
                return d ? Value(*d) : Value();
            }
            return v;
        case FieldType::Boolean: return Value(v.toBool());
        case FieldType::String: {
            std::string s = trimRight(v.isString() ? v.toString() : v.toString());
            return s.empty() ? Value() : Value(s);
        }
        case FieldType::Float: return Value(v.toDouble());
        default: return v.isFloat() ? Value(v.toInt()) : (v.isString() ? Value(v.toInt()) : v);
    }
}
}  // namespace

class Table::MasterLink : public DataLink {
public:
    explicit MasterLink(Table* t) : t_(t) {}
    void activeChanged() override { t_->masterChanged(); }
    void dataSetChanged() override { t_->masterChanged(); }
    void dataSetScrolled(int) override { t_->masterChanged(); }
    void recordChanged(Field* f) override {
        if (!f) return;
        for (const auto& m : t_->masterFields_)
            if (iequals(m, f->fieldName()) && !dataSet()->editing()) t_->masterChanged();
    }

private:
    Table* t_;
};

Table::Table() = default;

Table::~Table() {
    close();
    masterLink_.reset();
}

std::string Table::filePath() const {
    if (!path_.empty()) return path_;
    std::string dir = dir_.empty() ? AppDir() : dir_;
    std::string p = resolveTableFile(dir, tableName_);
    return p.empty() ? withSlash(dir) + tableName_ : p;
}

std::string Table::sourceText() const {
    return path_.empty() ? tableName_ : "Tabela " + tableName_ + " (fisierul " + path_ + ")";
}

[[noreturn]] void Table::raise(const std::string& context) {
    throwSqlite(db_.get(), context.empty() ? path_ : context);
}

std::vector<FieldDef> Table::backendOpen() {
    std::string dir = dir_.empty() ? AppDir() : dir_;
    path_ = resolveTableFile(dir, tableName_);
    if (path_.empty()) throw EngineError("Tabela nu exista. Fisierul: " + withSlash(dir) + tableName_);
    canonical_ = canonicalPath(path_);
    OpenFiles::instance().acquire(canonical_, exclusive_);
    acquired_ = true;
    UndoUnlessDone closeOnFailure([this] { backendClose(); });
    db_ = openTableConnection(path_);
    sqlite3* db = db_.get();
    fileReadOnly_ = sqlite3_db_readonly(db, "main") == 1;
    writesPrepared_ = false;
    sqlName_ = findTableInFile(db, "main", path_);
    journalOn_ = journalChecked_ = false;
    journalled_ = journal::journalled(sqlName_);
    isJournal_ = iequals(sqlName_, journal::kJournalTable);
    checkRequiredColumns(db, "main", sqlName_, path_);
    // stored fields and the primary key
    stored_.clear();
    indexes_.clear();
    std::vector<std::pair<int, std::string>> pk;
    rowidIsKey_ = false;
    {
        Statement st = prepareStatement(db, "PRAGMA table_info(" + quoteIdent(sqlName_) + ")", path_);
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2));
            stored_.push_back(fieldDefFromDeclared(n, t ? t : ""));
            if (int k = sqlite3_column_int(st.get(), 5); k > 0) {
                pk.emplace_back(k, n);
                rowidIsKey_ = iequals(t ? t : "", "INTEGER");
            }
        }
    }
    if (pk.size() != 1) rowidIsKey_ = false;  // an INTEGER PRIMARY KEY field is the row identity itself
    if (!pk.empty()) {
        std::sort(pk.begin(), pk.end());
        IndexDef d{"", {}, true, true, false};
        for (auto& [k, n] : pk) d.fields.push_back(n);
        indexes_.push_back(d);
    }
    // secondary indexes made with CREATE INDEX
    std::vector<IndexDef> sec;
    {
        Statement st = prepareStatement(db, "PRAGMA index_list(" + quoteIdent(sqlName_) + ")", path_);
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            std::string origin = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 3));
            if (origin != "c") continue;
            IndexDef d;
            d.name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
            d.unique = sqlite3_column_int(st.get(), 2) != 0;
            sec.push_back(d);
        }
    }
    for (auto& d : sec) {
        Statement st = prepareStatement(db, "PRAGMA index_xinfo(" + quoteIdent(d.name) + ")", path_);
        while (sqlite3_step(st.get()) == SQLITE_ROW) {
            if (sqlite3_column_int(st.get(), 5) == 0 || sqlite3_column_type(st.get(), 2) == SQLITE_NULL) continue;
            d.fields.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
            const char* coll = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 4));
            if (coll && iequals(coll, "NOCASE")) d.caseInsensitive = true;
        }
        indexes_.push_back(d);
    }
    if (!indexName_.empty() &&
        std::none_of(indexes_.begin(), indexes_.end(), [&](const IndexDef& d) { return iequals(d.name, indexName_); }))
        throw EngineError("Indexul " + indexName_ + " nu exista. Fisierul: " + path_);
    std::string cols;
    for (size_t i = 0; i < stored_.size(); ++i) cols += (i ? ", " : "") + quoteIdent(stored_[i].name);
    rowStmt_ = prepareStatement(db, "SELECT " + cols + " FROM " + quoteIdent(sqlName_) + " WHERE rowid = ?", path_);
    loadRowids();
    closeOnFailure.done();
    return stored_;
}

void Table::backendClose() {
    rowStmt_.reset();
    db_.reset();
    if (acquired_) OpenFiles::instance().release(canonical_, exclusive_);
    acquired_ = false;
    rowids_.clear();
    path_.clear();
}

// ---------------------------------------------------------------- order and filter

std::vector<std::string> Table::orderFields() const {
    if (!indexFieldNames_.empty()) return splitFields(indexFieldNames_);
    for (const auto& d : indexes_)
        if (indexName_.empty() ? d.primary : iequals(d.name, indexName_)) return d.fields;
    return {};
}

// Whether the current order is one of names: its index ignores letter case.
bool Table::orderIgnoresCase() const {
    auto fields = orderFields();
    for (const auto& d : indexes_) {
        bool match = indexFieldNames_.empty() ? (indexName_.empty() ? d.primary : iequals(d.name, indexName_))
                                              : d.fields.size() == fields.size() &&
                                                    std::equal(d.fields.begin(), d.fields.end(), fields.begin(),
                                                               [](auto& a, auto& b) { return iequals(a, b); });
        if (match) return d.caseInsensitive;
    }
    return false;
}

// Names are ordered and compared the Romanian way (letter case ignored, the
// cedilla letters taken as the comma ones). The files' own indexes keep
// NOCASE, which any tool knows, so they stay readable and writable outside
// the program; the Romanian order is the query's.
std::string Table::orderClause() const {
    const std::string coll = collation(orderIgnoresCase());
    std::string s = " ORDER BY ";
    for (const auto& f : orderFields()) s += quoteIdent(f) + coll + ", ";
    return s + "rowid";
}

std::vector<Value> Table::masterValues() const {
    std::vector<Value> v;
    DataSet* m = master_ ? master_->dataSet() : nullptr;
    for (const auto& f : masterFields_)
        v.push_back(m && m->active() && !m->isEmpty() ? m->fieldByName(f).value() : Value());
    return v;
}

std::string Table::whereClause() const {
    if (!master_ || masterFields_.empty()) return {};
    DataSet* m = master_->dataSet();
    if (!m || !m->active() || m->isEmpty()) return " WHERE 0";
    auto order = orderFields();
    std::string s = " WHERE ";
    for (size_t i = 0; i < masterFields_.size(); ++i) {
        std::string detail = i < order.size() ? order[i] : masterFields_[i];
        s += (i ? " AND " : "") + quoteIdent(detail) + " IS ?";
    }
    return s;
}

void Table::bindWhere(sqlite3_stmt* st, int first) const {
    if (!master_ || masterFields_.empty()) return;
    auto vals = masterValues();
    for (size_t i = 0; i < vals.size(); ++i) bindValue(st, first + static_cast<int>(i), vals[i]);
}

void Table::loadRowids() {
    Statement st =
        prepareStatement(db_.get(), "SELECT rowid FROM " + quoteIdent(sqlName_) + whereClause() + orderClause(), path_);
    bindWhere(st.get(), 1);
    rowids_.clear();
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) rowids_.push_back(sqlite3_column_int64(st.get(), 0));
    if (rc != SQLITE_DONE) raise({});
}

int Table::indexOfRowid(long long rowid) const {
    auto it = std::find(rowids_.begin(), rowids_.end(), rowid);
    return it == rowids_.end() ? -1 : static_cast<int>(it - rowids_.begin());
}

void Table::reorder() {
    if (!active()) return;
    checkBrowseMode();
    long long keep =
        currentIndex() >= 0 && currentIndex() < static_cast<int>(rowids_.size()) ? rowids_[currentIndex()] : -1;
    loadRowids();
    int idx = indexOfRowid(keep);
    resyncTo(idx < 0 ? 0 : idx);
    notify(DataEvent::LayoutChanged);
}

void Table::setIndexName(const std::string& n) {
    if (active() && !n.empty() &&
        std::none_of(indexes_.begin(), indexes_.end(), [&](const IndexDef& d) { return iequals(d.name, n); }))
        throw EngineError("Indexul " + n + " nu exista. Fisierul: " + path_);
    indexName_ = n;
    indexFieldNames_.clear();
    reorder();
}

void Table::setIndexFieldNames(const std::string& f) {
    indexFieldNames_ = f;
    indexName_.clear();
    reorder();
}

std::vector<IndexDef> Table::indexDefs() const { return indexes_; }

void Table::addIndex(const std::string& n, const std::string& fields, bool caseInsensitive, bool unique) {
    bool wasActive = active();
    if (!wasActive) open();
    auto list = splitFields(fields);
    std::string sql = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoteIdent(n) + " ON " +
                      quoteIdent(sqlName_) + " (";
    for (size_t i = 0; i < list.size(); ++i)
        sql += (i ? ", " : "") + quoteIdent(list[i]) + (caseInsensitive ? " COLLATE NOCASE" : "");
    sql += ")";
    execSql(db_.get(), sql.c_str(), path_);
    indexes_.push_back({n, list, false, unique, caseInsensitive});
    if (!wasActive) close();
}

// ---------------------------------------------------------------- searches

long long Table::firstMatch(const std::string& cond, const std::vector<Value>& vals) {
    std::string where = whereClause();
    std::string sql = "SELECT rowid FROM " + quoteIdent(sqlName_) + (where.empty() ? " WHERE " : where + " AND ") +
                      cond + orderClause() + " LIMIT 1";
    Statement st = prepareStatement(db_.get(), sql, path_);
    int n = where.empty() ? 0 : static_cast<int>(masterFields_.size());
    bindWhere(st.get(), 1);
    for (size_t i = 0; i < vals.size(); ++i) bindValue(st.get(), n + 1 + static_cast<int>(i), vals[i]);
    long long rowid = -1;
    if (sqlite3_step(st.get()) == SQLITE_ROW) rowid = sqlite3_column_int64(st.get(), 0);
    return rowid;
}

// The key's values brought to the types of the current order's fields; the
// conversion error (text in a numeric order) is raised before anything moves.
std::vector<Value> Table::keyValues(const std::vector<Value>& key, std::vector<std::string>& fields) {
    fields = orderFields();
    if (fields.empty() || key.empty() || key.size() > fields.size())
        throw EngineError("Nu exista index pentru cautarea dupa cheie. Fisierul: " + path_);
    std::vector<Value> vals;
    for (size_t i = 0; i < key.size(); ++i)
        vals.push_back(findField(fields[i]) ? findField(fields[i])->searchValue(key[i]) : key[i]);
    return vals;
}

bool Table::findKey(const std::vector<Value>& key) {
    checkBrowseMode();
    std::vector<std::string> fields;
    auto vals = keyValues(key, fields);
    const std::string coll = collation(orderIgnoresCase());
    std::string cond;
    for (size_t i = 0; i < vals.size(); ++i) cond += (i ? " AND " : "") + quoteIdent(fields[i]) + " = ?" + coll;
    int idx = indexOfRowid(firstMatch(cond, vals));
    if (idx < 0) return false;
    setRecNo(idx + 1);
    return true;
}

void Table::findNearest(const std::vector<Value>& key) {
    checkBrowseMode();
    std::vector<std::string> fields;
    auto vals = keyValues(key, fields);
    const std::string coll = collation(orderIgnoresCase());
    std::string lhs = "(", rhs = "(";
    for (size_t i = 0; i < vals.size(); ++i) {
        lhs += (i ? ", " : "") + quoteIdent(fields[i]) + coll;
        rhs += i ? ", ?" : "?";
    }
    int idx = indexOfRowid(firstMatch(lhs + ") >= " + rhs + ")", vals));
    if (idx < 0) {
        last();  // nothing at or after the key: the end of the table
        return;
    }
    setRecNo(idx + 1);
}

bool Table::locate(const std::string& field, const Value& value, LocateOptions opts) {
    checkBrowseMode();
    Field& f = fieldByName(field);
    std::string col = quoteIdent(f.fieldName());
    const std::string coll = collation(opts.caseInsensitive);
    long long rowid;
    if (value.isNull()) {
        rowid = firstMatch(col + " IS NULL", {});
    } else if (opts.partialKey) {
        Value text(value.toString());
        rowid = firstMatch("substr(" + col + ", 1, length(?)) = ?" + coll, {text, text});
    } else {
        rowid = firstMatch(col + " = ?" + coll, {f.searchValue(value)});
    }
    int idx = indexOfRowid(rowid);
    if (idx < 0) return false;
    setRecNo(idx + 1);
    return true;
}

// ---------------------------------------------------------------- master-detail

void Table::setMasterSource(DataSource* m) {
    master_ = m;
    if (!masterLink_) masterLink_ = std::make_unique<MasterLink>(this);
    masterLink_->setDataSource(m);
}

void Table::setMasterFields(const std::string& f) {
    masterFieldsText_ = f;
    masterFields_ = splitFields(f);
    masterChanged();
}

void Table::masterChanged() {
    if (!active() || !db_) return;
    if (editing()) {
        try {
            checkBrowseMode();
        } catch (...) {
            cancel();
        }
    }
    loadRowids();
    resyncTo(0);
}

void Table::initNewRecord() {
    if (!master_ || masterFields_.empty()) return;
    auto vals = masterValues();
    auto order = orderFields();
    for (size_t i = 0; i < masterFields_.size(); ++i)
        assignStored(i < order.size() ? order[i] : masterFields_[i], vals[i]);
}

// ---------------------------------------------------------------- fields

std::vector<FieldDef> Table::fieldDefs() {
    if (active()) return stored_;
    bool ex = exclusive_;
    open();
    auto defs = stored_;
    close();
    exclusive_ = ex;
    return defs;
}

bool Table::hasField(const std::string& n) {
    auto defs = fieldDefs();
    return std::any_of(defs.begin(), defs.end(), [&](const FieldDef& d) { return iequals(d.name, n); });
}

// ---------------------------------------------------------------- rows

bool Table::readRow(long long rowid, std::vector<Value>& values) {
    values.assign(stored_.size(), Value());
    sqlite3_stmt* st = rowStmt_.get();
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, rowid);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        for (size_t c = 0; c < stored_.size(); ++c)
            values[c] = fromStorage(columnValue(st, static_cast<int>(c)), stored_[c].type);
    } else if (rc != SQLITE_DONE) {
        sqlite3_reset(st);
        raise({});
    }
    sqlite3_reset(st);
    return rc == SQLITE_ROW;
}

bool Table::backendLoadRow(int index, std::vector<Value>& values) {
    if (index < 0 || index >= static_cast<int>(rowids_.size())) {
        values.assign(stored_.size(), Value());
        return false;
    }
    return readRow(rowids_[static_cast<size_t>(index)], values);
}

// ---------------------------------------------------------------- writing

void Table::beginWrite() {
    if (fileReadOnly_) throw EngineError(writeProtectedMessage(path_));
    if (isJournal_) throw EngineError("Intrarile jurnalului modificarilor nu pot fi modificate sau sterse");
    if (!journalled_ || journalChecked_) return;
    // once for the connection: a directory without a journal (a unit's
    // budget, a test's table) keeps none
    journalOn_ = !journal::journalPath(std::filesystem::path(path_).parent_path().string()).empty();
    journalChecked_ = true;
}

long long Table::currentRowid() const {
    if (!active() || state() == DataSetState::Insert) return -1;
    const int i = recNo() - 1;
    return i >= 0 && i < static_cast<int>(rowids_.size()) ? rowids_[static_cast<size_t>(i)] : -1;
}

std::vector<journal::FieldValue> Table::journalFields(const std::vector<Value>& row,
                                                      const std::vector<size_t>& cols) const {
    std::vector<journal::FieldValue> out;
    for (size_t c : cols) {
        if (c >= row.size()) continue;
        const Field* f = findField(stored_[c].name);
        out.push_back({stored_[c].name, row[c], (f && f->amount) || journal::amountField(stored_[c].name)});
    }
    return out;
}

// Inside the write transaction, in the same file: the entry commits or rolls
// back with the change; it joins Jurnal.DB later (journal::settle).
void Table::writeJournal(const char* action, long long rowid, const std::vector<Value>& keyRow,
                         const std::vector<journal::FieldValue>& before,
                         const std::vector<journal::FieldValue>& after) {
    if (!journalOn_) return;
    std::vector<size_t> all(stored_.size());
    for (size_t c = 0; c < all.size(); ++c) all[c] = c;
    journal::NewEntry e;
    e.table = journal::journalName(sqlName_);
    e.row = rowid;
    e.key = journal::describeRecord(sqlName_, journalFields(keyRow, all));
    e.action = action;
    e.before = journal::encodeValues(before);
    e.after = journal::encodeValues(after);
    journal::appendWaiting(db_.get(), "main", e);
    journal::noteWaiting(std::filesystem::path(path_).parent_path().string());
}

namespace {
// The columns of a row that hold a value.
std::vector<size_t> filled(const std::vector<Value>& row) {
    std::vector<size_t> cols;
    for (size_t c = 0; c < row.size(); ++c)
        if (!row[c].isNull()) cols.push_back(c);
    return cols;
}
}  // namespace

// Inside the write transaction: the file's identity bookkeeping (older files
// get it at their first write).
void Table::prepareWrites() {
    if (writesPrepared_) return;
    prepareForWrites(db_.get(), "main", sqlName_, path_);
    writesPrepared_ = true;
}

// A key holds blanks as values: a second record with the same key, blanks
// included, is refused as a key violation. (SQLite's own unique indexes take
// every NULL as distinct, so they refuse only keys without blanks.)
void Table::checkBlankKeys(const std::vector<Value>& row, long long ownRowid) {
    for (const auto& ix : indexes_) {
        if (!ix.unique || ix.fields.empty()) continue;
        std::vector<size_t> cols;
        bool blank = false, numbered = false;
        for (const auto& f : ix.fields) {
            auto it =
                std::find_if(stored_.begin(), stored_.end(), [&](const FieldDef& d) { return iequals(d.name, f); });
            if (it == stored_.end()) break;
            size_t c = static_cast<size_t>(it - stored_.begin());
            cols.push_back(c);
            if (row[c].isNull()) {
                blank = true;
                if (it->type == FieldType::AutoInc) numbered = true;  // numbered on insert: a new value
            }
        }
        if (!blank || numbered || cols.size() != ix.fields.size()) continue;
        std::string sql = "SELECT 1 FROM " + quoteIdent(sqlName_) + " WHERE rowid IS NOT ?";
        for (size_t c : cols) sql += " AND " + quoteIdent(stored_[c].name) + " IS ?" + collation(ix.caseInsensitive);
        Statement st = prepareStatement(db_.get(), sql + " LIMIT 1", path_);
        if (ownRowid >= 0) sqlite3_bind_int64(st.get(), 1, ownRowid);
        for (size_t i = 0; i < cols.size(); ++i) bindValue(st.get(), static_cast<int>(i + 2), row[cols[i]]);
        if (sqlite3_step(st.get()) == SQLITE_ROW)
            throw EngineError("Violare de cheie: exista deja o inregistrare cu aceeasi cheie. Fisierul: " + path_);
    }
}

// Inside the write transaction: the stored row must still be the one the data
// set read, with the values it read. Returns the row as stored.
std::vector<Value> Table::checkUnchanged(long long rowid, const RecordImage& original) {
    std::vector<Value> now;
    if (!readRow(rowid, now)) throw StaleRecordError();
    for (size_t c = 0; c < now.size() && c < original.read.size(); ++c)
        if (original.read[c] && !(now[c] == original.values[c])) throw StaleRecordError();
    return now;
}

size_t Table::storedColumn(const std::string& field) const {
    for (size_t c = 0; c < stored_.size(); ++c)
        if (iequals(stored_[c].name, field)) return c;
    throw EngineError("Campul " + field + " nu exista. Fisierul: " + path_);
}

Value Table::InsertStep::largest(const std::string& field) const {
    const size_t c = t_.storedColumn(field);
    Statement st = prepareStatement(
        t_.db_.get(), "SELECT MAX(" + quoteIdent(t_.stored_[c].name) + ") FROM " + quoteIdent(t_.sqlName_), t_.path_);
    const int rc = sqlite3_step(st.get());
    if (rc != SQLITE_ROW) throwSqlite(t_.db_.get(), t_.path_);
    return fromStorage(columnValue(st.get(), 0), t_.stored_[c].type);
}

const Value& Table::InsertStep::value(const std::string& field) const { return values_[t_.storedColumn(field)]; }

void Table::InsertStep::setValue(const std::string& field, const Value& v) {
    const size_t c = t_.storedColumn(field);
    const Field* f = t_.findField(field);
    values_[c] = f ? f->coerce(v) : v;
    assigned_[c] = true;
}

int Table::backendInsert(const std::vector<Value>& given, const std::vector<bool>& givenAssigned) {
    beginWrite();
    std::string cols, marks;
    std::vector<size_t> used;
    long long rowid = -1;
    std::vector<Value> values = given;
    std::vector<bool> assigned = givenAssigned;
    {
        Transaction tx(db_.get(), path_);
        prepareWrites();
        if (beforeInsertWrite) {
            InsertStep step(*this, values, assigned);
            beforeInsertWrite(step);
        }
        checkBlankKeys(values, -1);
        // autoincrement fields left blank are numbered by the file itself
        for (size_t c = 0; c < stored_.size(); ++c) {
            if (!assigned[c] || values[c].isNull()) continue;
            cols += ", " + quoteIdent(stored_[c].name);
            marks += ", ?";
            used.push_back(c);
        }
        std::string sql;
        if (rowidIsKey_) {
            sql = used.empty() ? "INSERT INTO " + quoteIdent(sqlName_) + " DEFAULT VALUES"
                               : "INSERT INTO " + quoteIdent(sqlName_) + " (" + cols.substr(2) + ") VALUES (" +
                                     marks.substr(2) + ")";
        } else {
            // a new identity, above every one the file ever gave
            Statement next =
                prepareStatement(db_.get(),
                                 "SELECT MAX(COALESCE((SELECT seq FROM " + quoteIdent(kSequenceTable) +
                                     " WHERE name = " + quoteText(kRowidSequence) +
                                     "), 0), COALESCE((SELECT MAX(rowid) FROM " + quoteIdent(sqlName_) + "), 0)) + 1",
                                 path_);
            if (sqlite3_step(next.get()) != SQLITE_ROW) raise({});
            rowid = sqlite3_column_int64(next.get(), 0);
            sql = "INSERT INTO " + quoteIdent(sqlName_) + " (rowid" + cols + ") VALUES (?" + marks + ")";
        }
        Statement st = prepareStatement(db_.get(), sql, path_);
        int k = 1;
        if (!rowidIsKey_) sqlite3_bind_int64(st.get(), k++, rowid);
        for (size_t c : used) bindValue(st.get(), k++, values[c]);
        if (sqlite3_step(st.get()) != SQLITE_DONE) raise({});
        if (rowidIsKey_) rowid = sqlite3_last_insert_rowid(db_.get());
        if (journalOn_) {
            std::vector<Value> stored;  // as the file numbered and kept it
            readRow(rowid, stored);
            writeJournal(journal::kAdded, rowid, stored, {}, journalFields(stored, filled(stored)));
        }
        tx.commit();
    }
    bool entryOrder = orderFields().empty() && (!master_ || masterFields_.empty());
    if (entryOrder && (rowids_.empty() || rowid > rowids_.back())) {
        rowids_.push_back(rowid);
        return static_cast<int>(rowids_.size()) - 1;
    }
    loadRowids();
    int idx = indexOfRowid(rowid);
    return idx < 0 ? 0 : idx;
}

int Table::backendUpdate(int index, const std::vector<Value>& values, const std::vector<bool>& changed,
                         const RecordImage& original) {
    long long rowid = rowids_[static_cast<size_t>(index)];
    std::string set;
    std::vector<size_t> used;
    bool moves = false;
    auto order = orderFields();
    for (size_t c = 0; c < stored_.size(); ++c) {
        if (!changed[c]) continue;
        set += (used.empty() ? "" : ", ") + quoteIdent(stored_[c].name) + " = ?";
        used.push_back(c);
        for (const auto& o : order)
            if (iequals(o, stored_[c].name)) moves = true;
        for (const auto& o : masterFields_)
            if (iequals(o, stored_[c].name)) moves = true;
    }
    if (used.empty()) return index;
    beginWrite();
    {
        Transaction tx(db_.get(), path_);
        prepareWrites();
        std::vector<Value> row = checkUnchanged(rowid, original);
        const std::vector<journal::FieldValue> before = journalFields(row, used);
        for (size_t c : used) row[c] = values[c];
        checkBlankKeys(row, rowid);
        Statement st =
            prepareStatement(db_.get(), "UPDATE " + quoteIdent(sqlName_) + " SET " + set + " WHERE rowid = ?", path_);
        for (size_t i = 0; i < used.size(); ++i) bindValue(st.get(), static_cast<int>(i + 1), values[used[i]]);
        sqlite3_bind_int64(st.get(), static_cast<int>(used.size() + 1), rowid);
        if (sqlite3_step(st.get()) != SQLITE_DONE) raise({});
        if (sqlite3_changes(db_.get()) != 1) throw StaleRecordError();
        writeJournal(journal::kChanged, rowid, row, before, journalFields(row, used));
        tx.commit();
    }
    if (!moves) return index;
    loadRowids();
    int idx = indexOfRowid(rowid);
    return idx < 0 ? std::min(index, static_cast<int>(rowids_.size()) - 1) : idx;
}

void Table::backendDelete(int index, const RecordImage& original) {
    long long rowid = rowids_[static_cast<size_t>(index)];
    beginWrite();
    {
        Transaction tx(db_.get(), path_);
        prepareWrites();  // the high-water mark is kept before the last row goes
        const std::vector<Value> row = checkUnchanged(rowid, original);
        Statement st = prepareStatement(db_.get(), "DELETE FROM " + quoteIdent(sqlName_) + " WHERE rowid = ?", path_);
        sqlite3_bind_int64(st.get(), 1, rowid);
        if (sqlite3_step(st.get()) != SQLITE_DONE) raise({});
        if (sqlite3_changes(db_.get()) != 1) throw StaleRecordError();
        writeJournal(journal::kDeleted, rowid, row, journalFields(row, filled(row)), {});
        tx.commit();
    }
    rowids_.erase(rowids_.begin() + index);
}

int Table::backendRefresh(int keepIndex) {
    long long keep =
        keepIndex >= 0 && keepIndex < static_cast<int>(rowids_.size()) ? rowids_[static_cast<size_t>(keepIndex)] : -1;
    loadRowids();
    return indexOfRowid(keep);
}

void Table::emptyTable() {
    bool wasActive = active();
    if (!wasActive) open();
    checkBrowseMode();
    beginWrite();
    {
        Transaction tx(db_.get(), path_);
        prepareWrites();
        if (journalOn_) {
            Statement all = prepareStatement(db_.get(), "SELECT rowid FROM " + quoteIdent(sqlName_), path_);
            std::vector<Value> row;
            while (sqlite3_step(all.get()) == SQLITE_ROW) {
                const long long id = sqlite3_column_int64(all.get(), 0);
                if (readRow(id, row)) writeJournal(journal::kDeleted, id, row, journalFields(row, filled(row)), {});
            }
        }
        execSql(db_.get(), ("DELETE FROM " + quoteIdent(sqlName_)).c_str(), path_);
        tx.commit();
    }
    loadRowids();
    resyncTo(0);
    if (!wasActive) close();
}

}  // namespace data
