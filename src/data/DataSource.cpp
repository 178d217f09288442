#include "data/DataSource.h"

#include <algorithm>

namespace data {

DataSource::DataSource(DataSet* ds) { setDataSet(ds); }

DataSource::~DataSource() {
    setDataSet(nullptr);
    for (auto* l : std::vector<DataLink*>(links_)) l->src_ = nullptr;
}

void DataSource::setDataSet(DataSet* ds) {
    if (ds_ == ds) return;
    if (ds_) ds_->removeSource(this);
    ds_ = ds;
    if (ds_) ds_->addSource(this);
    for (auto* l : std::vector<DataLink*>(links_)) l->activeChanged();
}

bool DataSource::edit() {
    if (!ds_ || !ds_->active()) return false;
    if (ds_->editing()) return true;
    if (!autoEdit) return false;
    ds_->edit();
    return ds_->editing();
}

void DataSource::addLink(DataLink* l) {
    if (std::find(links_.begin(), links_.end(), l) == links_.end()) links_.push_back(l);
}

void DataSource::removeLink(DataLink* l) { std::erase(links_, l); }

void DataSource::dispatch(DataEvent e, Field* f, int info) {
    if (e == DataEvent::UpdateRecord && onUpdateData) onUpdateData(*this);
    for (auto* l : std::vector<DataLink*>(links_)) {
        if (std::find(links_.begin(), links_.end(), l) == links_.end()) continue;  // removed meanwhile
        switch (e) {
            case DataEvent::ActiveChanged: l->activeChanged(); break;
            case DataEvent::DataSetChanged: l->dataSetChanged(); break;
            case DataEvent::Scrolled: l->dataSetScrolled(info); break;
            case DataEvent::RecordChanged: l->recordChanged(f); break;
            case DataEvent::StateChanged: l->editingChanged(); break;
            case DataEvent::UpdateRecord: l->updateData(); break;
            case DataEvent::CheckBrowseMode: l->checkBrowseMode(); break;
            case DataEvent::LayoutChanged: l->layoutChanged(); break;
        }
    }
    if ((e == DataEvent::StateChanged || e == DataEvent::ActiveChanged) && onStateChange) onStateChange(*this);
    if ((e == DataEvent::DataSetChanged || e == DataEvent::Scrolled || e == DataEvent::RecordChanged ||
         e == DataEvent::ActiveChanged) &&
        onDataChange)
        onDataChange(*this, e == DataEvent::RecordChanged ? f : nullptr);
}

DataLink::~DataLink() { setDataSource(nullptr); }

void DataLink::setDataSource(DataSource* s) {
    if (src_ == s) return;
    if (src_) src_->removeLink(this);
    src_ = s;
    if (src_) src_->addLink(this);
    activeChanged();
}

}  // namespace data
