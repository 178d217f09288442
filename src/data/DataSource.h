// Data sources and data links: how controls observe a data set.
#pragma once
#include <functional>
#include <vector>

#include "data/DataSet.h"

namespace data {

class DataLink;

class DataSource {
public:
    explicit DataSource(DataSet* ds = nullptr);
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    void setDataSet(DataSet* ds);
    DataSet* dataSet() const { return ds_; }
    DataSetState state() const { return ds_ ? ds_->state() : DataSetState::Inactive; }
    bool autoEdit = true;
    // Puts the data set into edit when autoEdit allows (controls call this on typing).
    bool edit();

    std::function<void(DataSource&, Field*)> onDataChange;
    std::function<void(DataSource&)> onStateChange;
    std::function<void(DataSource&)> onUpdateData;

    void addLink(DataLink* l);
    void removeLink(DataLink* l);
    void dispatch(DataEvent e, Field* f, int info);

private:
    DataSet* ds_ = nullptr;
    std::vector<DataLink*> links_;
};

// Base for everything that follows a data source: override the notifications needed.
class DataLink {
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;

    void setDataSource(DataSource* s);
    DataSource* dataSource() const { return src_; }
    DataSet* dataSet() const { return src_ ? src_->dataSet() : nullptr; }
    bool active() const { return dataSet() && dataSet()->active(); }
    bool editing() const { return dataSet() && dataSet()->editing(); }
    bool edit() { return src_ && src_->edit(); }

    virtual void activeChanged() {}
    virtual void dataSetChanged() {}
    virtual void dataSetScrolled(int /*distance*/) { dataSetChanged(); }
    virtual void recordChanged(Field* /*field*/) {}
    virtual void editingChanged() {}
    virtual void updateData() {}
    virtual void checkBrowseMode() {}
    virtual void layoutChanged() { dataSetChanged(); }

private:
    friend class DataSource;
    DataSource* src_ = nullptr;
};

// A data link whose notifications are plain callbacks (for windows and tests).
class CallbackDataLink : public DataLink {
public:
    std::function<void()> onActiveChanged, onDataSetChanged, onEditingChanged, onUpdateData, onCheckBrowseMode;
    std::function<void(int)> onScrolled;
    std::function<void(Field*)> onRecordChanged;

    void activeChanged() override {
        if (onActiveChanged) onActiveChanged();
    }
    void dataSetChanged() override {
        if (onDataSetChanged) onDataSetChanged();
    }
    void dataSetScrolled(int d) override { onScrolled ? onScrolled(d) : dataSetChanged(); }
    void recordChanged(Field* f) override {
        if (onRecordChanged) onRecordChanged(f);
    }
    void editingChanged() override {
        if (onEditingChanged) onEditingChanged();
    }
    void updateData() override {
        if (onUpdateData) onUpdateData();
    }
    void checkBrowseMode() override {
        if (onCheckBrowseMode) onCheckBrowseMode();
    }
};

}  // namespace data
