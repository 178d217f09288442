#include "data/DataSet.h"

#include <algorithm>

#include "data/DataSource.h"
#include "data/Format.h"
#include "data/Money.h"
#include "data/SqliteHandle.h"

namespace data {

DataSet::DataSet() = default;

DataSet::~DataSet() {
    for (auto* s : std::vector<DataSource*>(sources_)) s->setDataSet(nullptr);
}

void DataSet::setDeclaredFields(std::vector<std::string> names) {
    if (active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date deschis");
    declared_ = std::move(names);
}

void DataSet::addCalculatedField(const std::string& n, FieldType type, int size) {
    if (active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date deschis");
    calcDefs_.push_back({n, type, size});
}

DataSet::FieldSetup& DataSet::FieldSetup::asAmount() {
    amount = true;
    displayFormat = kAmountFormat;
    editFormat = kAmountEditFormat;
    return *this;
}

DataSet::FieldSetup& DataSet::setup(const std::string& fieldName) {
    for (auto& [n, s] : setups_)
        if (iequals(n, fieldName)) return s;
    setups_.emplace_back(fieldName, FieldSetup{});
    return setups_.back().second;
}

Field* DataSet::findField(const std::string& n) const {
    for (const auto& f : fields_)
        if (iequals(f->fieldName(), n)) return f.get();
    return nullptr;
}

Field& DataSet::fieldByName(const std::string& n) const {
    if (auto* f = findField(n)) return *f;
    throw EngineError(sourceText() + ": campul '" + n + "' nu exista");
}

// ---------------------------------------------------------------- life cycle

void DataSet::open() {
    if (active()) return;
    if (beforeOpen) beforeOpen(*this);
    std::vector<FieldDef> stored = backendOpen();
    UndoUnlessDone closeOnFailure([this] { backendClose(); });
    {
        std::vector<FieldDef> wanted;
        std::vector<int> index;
        if (declared_.empty()) {
            wanted = stored;
            for (size_t i = 0; i < stored.size(); ++i) index.push_back(static_cast<int>(i));
        } else {
            for (const auto& n : declared_) {
                auto it =
                    std::find_if(stored.begin(), stored.end(), [&](const FieldDef& d) { return iequals(d.name, n); });
                if (it == stored.end()) throw EngineError(sourceText() + ": lipseste campul '" + n + "'");
                wanted.push_back(*it);
                index.push_back(static_cast<int>(it - stored.begin()));
            }
        }
        // Field objects survive a close and reopen with the same layout, so that
        // the owner's pointers and settings stay valid.
        bool same = fields_.size() == wanted.size() + calcDefs_.size();
        for (size_t i = 0; same && i < wanted.size(); ++i)
            same = iequals(fields_[i]->fieldName(), wanted[i].name) && fields_[i]->dataType() == wanted[i].type;
        if (!same) {
            fields_.clear();
            int k = 0;
            for (const auto& d : wanted)
                fields_.push_back(std::make_unique<Field>(this, d.name, d.type, d.size, FieldKind::Data, k++));
            for (const auto& c : calcDefs_)
                fields_.push_back(std::make_unique<Field>(this, c.name, c.type, c.size, FieldKind::Calculated, k++));
            for (auto& [n, s] : setups_) {
                Field* f = findField(n);
                if (!f) continue;
                if (!s.displayLabel.empty()) f->displayLabel = s.displayLabel;
                if (!s.displayFormat.empty()) f->displayFormat = s.displayFormat;
                if (!s.editFormat.empty()) f->editFormat = s.editFormat;
                if (!s.editMask.empty()) f->editMask = s.editMask;
                f->required = s.required;
                f->amount = s.amount;
                f->readOnly = s.readOnly;
                f->visible = s.visible;
                f->displayWidth = s.displayWidth;
                if (s.onValidate) f->onValidate = s.onValidate;
                if (s.onChange) f->onChange = s.onChange;
            }
        }
        storedDefs_ = stored;
        storedIndex_ = index;
        dataFieldCount_ = wanted.size();
    }
    closeOnFailure.done();
    buffer_.assign(fields_.size(), Value());
    state_ = DataSetState::Browse;
    modified_ = false;
    cur_ = backendRowCount() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = backendRowCount() == 0;
    loadCurrent();
    notify(DataEvent::ActiveChanged);
    if (afterOpen) afterOpen(*this);
}

void DataSet::close() {
    if (!active()) return;
    if (beforeClose) beforeClose(*this);
    if (editing()) state_ = DataSetState::Browse;  // unsaved edits are dropped
    backendClose();
    state_ = DataSetState::Inactive;
    cur_ = -1;
    eof_ = bof_ = true;
    modified_ = false;
    buffer_.assign(fields_.size(), Value());
    notify(DataEvent::ActiveChanged);
    if (afterClose) afterClose(*this);
}

// ---------------------------------------------------------------- records

void DataSet::fromStored(const std::vector<Value>& stored, std::vector<Value>& rec) const {
    rec.resize(fields_.size());
    for (size_t i = 0; i < dataFieldCount_; ++i) rec[i] = stored[static_cast<size_t>(storedIndex_[i])];
    for (size_t i = dataFieldCount_; i < rec.size(); ++i) rec[i] = Value();
}

void DataSet::toStored(std::vector<Value>& stored, std::vector<bool>& flags, bool onlyChanged) const {
    stored.assign(storedDefs_.size(), Value());
    flags.assign(storedDefs_.size(), false);
    for (size_t i = 0; i < dataFieldCount_; ++i) {
        size_t c = static_cast<size_t>(storedIndex_[i]);
        stored[c] = buffer_[i];
        flags[c] = onlyChanged ? !(buffer_[i] == oldBuffer_[i]) || (buffer_[i].isNull() != oldBuffer_[i].isNull())
                               : assigned_[i];
    }
}

void DataSet::calcFields(std::vector<Value>& rec, int row) {
    if (fields_.size() == dataFieldCount_ || !onCalcFields) return;
    calcRow_ = row;
    DataSetState prev = state_;
    std::swap(buffer_, rec);
    state_ = DataSetState::CalcFields;
    UndoUnlessDone restore([&] {
        state_ = prev;
        std::swap(buffer_, rec);
    });
    onCalcFields(*this);
}

bool DataSet::loadCurrent() {
    if (cur_ < 0 || cur_ >= backendRowCount()) {
        buffer_.assign(fields_.size(), Value());
        return false;
    }
    std::vector<Value> stored(storedDefs_.size());
    bool found = backendLoadRow(cur_, stored);
    std::vector<Value> rec;
    fromStored(stored, rec);
    calcFields(rec, cur_);
    buffer_ = std::move(rec);
    return found;
}

RecordImage DataSet::imageOf(const std::vector<Value>& rec) const {
    RecordImage image{std::vector<Value>(storedDefs_.size()), std::vector<bool>(storedDefs_.size(), false)};
    for (size_t i = 0; i < dataFieldCount_; ++i) {
        size_t c = static_cast<size_t>(storedIndex_[i]);
        image.values[c] = rec[i];
        image.read[c] = true;
    }
    return image;
}

void DataSet::showStoredAfterConflict() {
    state_ = DataSetState::Browse;
    modified_ = false;
    int idx = backendRefresh(cur_);
    int n = backendRowCount();
    cur_ = n == 0 ? -1 : (idx >= 0 ? idx : std::clamp(cur_, 0, n - 1));
    bof_ = eof_ = n == 0;
    loadCurrent();
    notify(DataEvent::StateChanged);
    notify(DataEvent::DataSetChanged);
}

std::vector<Value> DataSet::rowValues(int index) {
    std::vector<Value> stored(storedDefs_.size());
    backendLoadRow(index, stored);
    std::vector<Value> rec;
    fromStored(stored, rec);
    calcFields(rec, index);
    return rec;
}

void DataSet::assignStored(const std::string& fieldName, const Value& v) {
    for (size_t i = 0; i < dataFieldCount_; ++i)
        if (iequals(fields_[i]->fieldName(), fieldName)) {
            buffer_[i] = fields_[i]->coerce(v);
            assigned_[i] = true;
            return;
        }
}

void DataSet::setFieldValue(Field& f, const Value& v) {
    int i = f.index();
    if (state_ == DataSetState::CalcFields) {
        if (f.calculated()) buffer_[static_cast<size_t>(i)] = v;
        return;
    }
    if (!editing()) throw EngineError(name() + ": setul de date nu este in modificare sau adaugare");
    if (f.readOnly && !f.calculated()) throw EngineError("Campul '" + f.displayName() + "' nu poate fi modificat");
    Value old = buffer_[static_cast<size_t>(i)];
    buffer_[static_cast<size_t>(i)] = v;
    if (f.onValidate) {
        UndoUnlessDone keepOld([&] { buffer_[static_cast<size_t>(i)] = old; });
        f.onValidate(f);
        keepOld.done();
    }
    if (static_cast<size_t>(i) < assigned_.size()) assigned_[static_cast<size_t>(i)] = true;
    modified_ = true;
    notify(DataEvent::RecordChanged, &f);
    if (f.onChange) f.onChange(f);
}

// ---------------------------------------------------------------- navigation

bool DataSet::isEmpty() const { return !active() || (backendRowCount() == 0 && state_ != DataSetState::Insert); }

int DataSet::recordCount() const { return active() ? backendRowCount() : 0; }

int DataSet::recNo() const {
    if (!active() || cur_ < 0) return 0;
    if (state_ != DataSetState::Insert && backendRowCount() == 0) return 0;
    return cur_ + 1;
}

void DataSet::requireBrowse() {
    if (!active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date inchis");
    checkBrowseMode();
}

void DataSet::moveTo(int index, bool fireScroll) {
    int old = cur_;
    if (fireScroll && beforeScroll) beforeScroll(*this);
    cur_ = index;
    loadCurrent();
    notify(DataEvent::Scrolled, nullptr, cur_ - old);
    if (fireScroll && afterScroll) afterScroll(*this);
}

void DataSet::first() {
    requireBrowse();
    int n = backendRowCount();
    if (n == 0) {
        bof_ = eof_ = true;
        return;
    }
    if (cur_ != 0) moveTo(0, true);
    bof_ = true;
    eof_ = false;
}

void DataSet::last() {
    requireBrowse();
    int n = backendRowCount();
    if (n == 0) {
        bof_ = eof_ = true;
        return;
    }
    if (cur_ != n - 1) moveTo(n - 1, true);
    eof_ = true;
    bof_ = false;
}

int DataSet::moveBy(int distance) {
    // A new record left untouched is dropped, and the move counts from where
    // it stood: back from a new record after the last one is the last one.
    const bool dropsInsert = state_ == DataSetState::Insert && !modified_;
    const int insertedAt = cur_;
    requireBrowse();
    int n = backendRowCount();
    if (n == 0) {
        bof_ = eof_ = true;
        return 0;
    }
    int target = cur_ + distance;
    if (dropsInsert && distance != 0) target = distance < 0 ? insertedAt + distance : insertedAt + distance - 1;
    bof_ = eof_ = false;
    if (target >= n) {
        target = n - 1;
        eof_ = true;
    }
    if (target < 0) {
        target = 0;
        bof_ = true;
    }
    int moved = target - cur_;
    if (moved != 0) moveTo(target, true);
    return moved;
}

void DataSet::next() { moveBy(1); }
void DataSet::prior() { moveBy(-1); }

void DataSet::setRecNo(int n) {
    requireBrowse();
    int count = backendRowCount();
    if (count == 0) return;
    n = std::clamp(n, 1, count);
    bof_ = eof_ = false;
    if (n - 1 != cur_) moveTo(n - 1, true);
}

void DataSet::refresh() {
    requireBrowse();
    int idx = backendRefresh(cur_);
    int n = backendRowCount();
    cur_ = idx >= 0 ? idx : std::min(std::max(cur_, 0), n - 1);
    if (n == 0) cur_ = -1;
    bof_ = eof_ = n == 0;
    loadCurrent();
    notify(DataEvent::DataSetChanged);
}

void DataSet::resyncTo(int index) {
    int n = backendRowCount();
    cur_ = n == 0 ? -1 : std::clamp(index, 0, n - 1);
    bof_ = eof_ = n == 0;
    loadCurrent();
    notify(DataEvent::DataSetChanged);
}

// ---------------------------------------------------------------- editing

void DataSet::edit() {
    if (editing()) return;
    if (!active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date inchis");
    if (!canModify()) throw EngineError(name() + ": setul de date este doar pentru citire");
    if (backendRowCount() == 0) {
        insert();
        return;
    }
    if (beforeEdit) beforeEdit(*this);
    if (!loadCurrent()) {  // edit the record as stored now: gone meanwhile
        showStoredAfterConflict();
        throw StaleRecordError();
    }
    oldBuffer_ = buffer_;
    assigned_.assign(fields_.size(), false);
    state_ = DataSetState::Edit;
    modified_ = false;
    notify(DataEvent::StateChanged);
    if (afterEdit) afterEdit(*this);
}

void DataSet::insert() { beginInsert(false); }
void DataSet::append() { beginInsert(true); }

void DataSet::beginInsert(bool atEnd) {
    if (!active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date inchis");
    checkBrowseMode();
    if (!canModify()) throw EngineError(name() + ": setul de date este doar pentru citire");
    if (beforeInsert) beforeInsert(*this);
    if (beforeScroll) beforeScroll(*this);
    int n = backendRowCount();
    savedCur_ = cur_;
    insertAtEnd_ = atEnd || n == 0;
    cur_ = insertAtEnd_ ? n : std::max(cur_, 0);
    {
        // The new record's calculated fields, computed once without a position.
        std::vector<Value> rec(fields_.size());
        calcFields(rec, -1);
        buffer_ = std::move(rec);
    }
    oldBuffer_ = buffer_;
    assigned_.assign(fields_.size(), false);
    state_ = DataSetState::Insert;
    {
        UndoUnlessDone backToBrowse([this] {
            state_ = DataSetState::Browse;
            cur_ = savedCur_;
            loadCurrent();
            notify(DataEvent::DataSetChanged);
        });
        initNewRecord();
        if (onNewRecord) onNewRecord(*this);
        backToBrowse.done();
    }
    modified_ = false;
    bof_ = eof_ = false;
    notify(DataEvent::StateChanged);
    notify(DataEvent::DataSetChanged);
    if (afterInsert) afterInsert(*this);
    if (afterScroll) afterScroll(*this);
}

void DataSet::updateRecord() { notify(DataEvent::UpdateRecord); }

void DataSet::post() {
    if (!editing()) return;
    updateRecord();
    notify(DataEvent::CheckBrowseMode);
    if (beforePost) beforePost(*this);
    for (size_t i = 0; i < dataFieldCount_; ++i) {
        const auto& f = fields_[i];
        if (f->required && buffer_[i].isNull())
            throw EngineError(formatMessage("Campul '%s' trebuie completat", f->displayName()));
    }
    std::vector<Value> stored;
    std::vector<bool> flags;
    int idx;
    if (state_ == DataSetState::Insert) {
        toStored(stored, flags, false);
        idx = backendInsert(stored, flags);
    } else {
        toStored(stored, flags, true);
        bool any = std::find(flags.begin(), flags.end(), true) != flags.end();
        try {
            idx = any ? backendUpdate(cur_, stored, flags, imageOf(oldBuffer_)) : cur_;
        } catch (const StaleRecordError&) {
            showStoredAfterConflict();
            throw;
        }
    }
    state_ = DataSetState::Browse;
    modified_ = false;
    int n = backendRowCount();
    cur_ = n == 0 ? -1 : std::clamp(idx, 0, n - 1);
    bof_ = eof_ = false;
    loadCurrent();
    notify(DataEvent::StateChanged);
    notify(DataEvent::DataSetChanged);
    if (afterPost) afterPost(*this);
}

void DataSet::cancel() {
    if (!editing()) return;
    if (beforeCancel) beforeCancel(*this);
    bool wasInsert = state_ == DataSetState::Insert;
    state_ = DataSetState::Browse;
    modified_ = false;
    if (wasInsert) {
        int n = backendRowCount();
        cur_ = n == 0 ? -1 : std::clamp(savedCur_, 0, n - 1);
    }
    bof_ = eof_ = backendRowCount() == 0;
    loadCurrent();
    notify(DataEvent::StateChanged);
    notify(DataEvent::DataSetChanged);
    if (afterCancel) afterCancel(*this);
}

void DataSet::del() {
    if (!active()) throw EngineError(name() + ": operatia nu este permisa pe un set de date inchis");
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (backendRowCount() == 0) throw EngineError(name() + ": operatia nu este permisa pe un set de date gol");
    if (!canModify()) throw EngineError(name() + ": setul de date este doar pentru citire");
    if (beforeDelete) beforeDelete(*this);
    RecordImage original = imageOf(state_ == DataSetState::Edit ? oldBuffer_ : buffer_);
    if (state_ == DataSetState::Edit) {
        state_ = DataSetState::Browse;
        modified_ = false;
        notify(DataEvent::StateChanged);
    }
    try {
        backendDelete(cur_, original);
    } catch (const StaleRecordError&) {
        showStoredAfterConflict();
        throw;
    }
    int n = backendRowCount();
    cur_ = n == 0 ? -1 : std::min(cur_, n - 1);
    bof_ = eof_ = n == 0;
    loadCurrent();
    notify(DataEvent::DataSetChanged);
    if (afterDelete) afterDelete(*this);
    if (afterScroll) afterScroll(*this);
}

void DataSet::checkBrowseMode() {
    if (!editing()) return;
    updateRecord();
    if (modified_)
        post();
    else
        cancel();
}

int DataSet::backendInsert(const std::vector<Value>&, const std::vector<bool>&) {
    throw EngineError(name() + ": setul de date este doar pentru citire");
}
int DataSet::backendUpdate(int, const std::vector<Value>&, const std::vector<bool>&, const RecordImage&) {
    throw EngineError(name() + ": setul de date este doar pentru citire");
}
void DataSet::backendDelete(int, const RecordImage&) {
    throw EngineError(name() + ": setul de date este doar pentru citire");
}

// ---------------------------------------------------------------- observers

void DataSet::addSource(DataSource* s) {
    if (std::find(sources_.begin(), sources_.end(), s) == sources_.end()) sources_.push_back(s);
}

void DataSet::removeSource(DataSource* s) { std::erase(sources_, s); }

void DataSet::notify(DataEvent e, Field* f, int info) {
    if (disableCount_ > 0) {
        pendingChange_ = true;
        return;
    }
    for (auto* s : std::vector<DataSource*>(sources_)) s->dispatch(e, f, info);
}

void DataSet::enableControls() {
    if (disableCount_ > 0 && --disableCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        notify(DataEvent::DataSetChanged);
    }
}

}  // namespace data
