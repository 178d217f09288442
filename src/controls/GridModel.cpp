#include "controls/GridModel.h"

#include "controls/TNormalDBGrid.h"

namespace ui {

using data::DataSetState;

int GridModel::rowsFor(data::DataSet* ds) {
    if (!ds || !ds->active()) return 0;
    return ds->recordCount() + (ds->state() == DataSetState::Insert ? 1 : 0);
}

GridModel::GridModel(TNormalDBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

void GridModel::refresh() {
    int r = rowsFor(grid_->dataSet());
    int c = grid_->columnCount();
    cache_.clear();
    if (r != rows_ || c != cols_) {
        beginResetModel();
        rows_ = r;
        cols_ = c;
        endResetModel();
    } else if (rows_ > 0 && cols_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }
    refreshHeaders();
}

void GridModel::refreshRow(int row) {
    if (row < 0 || row >= rows_ || cols_ == 0) return;
    emit dataChanged(index(row, 0), index(row, cols_ - 1));
}

void GridModel::refreshHeaders() {
    if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

std::vector<data::Value> GridModel::rowValues(int row) const {
    data::DataSet* ds = grid_->dataSet();
    if (!ds || !ds->active() || row < 0 || row >= rows_) return {};
    int cur = ds->currentIndex();
    if (row == cur) {
        std::vector<data::Value> v;
        v.reserve(ds->fields().size());
        for (const auto& f : ds->fields()) v.push_back(f->value());
        return v;
    }
    int rec = (ds->state() == DataSetState::Insert && row > cur) ? row - 1 : row;
    if (rec < 0 || rec >= ds->recordCount()) return {};
    auto it = cache_.find(rec);
    if (it != cache_.end()) return it->second;
    std::vector<data::Value> v;
    try {
        v = ds->rowValues(rec);
    } catch (const std::exception&) {
        return {};
    }
    if (cache_.size() > 2000) cache_.clear();
    cache_[rec] = v;
    return v;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= grid_->columnCount()) return {};
    const TColumn& col = grid_->columns()[static_cast<size_t>(index.column())];
    data::Field* f = grid_->columnField(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            if (!f) return QString();
            auto vals = rowValues(index.row());
            if (static_cast<size_t>(f->index()) >= vals.size()) return QString();
            return qs(f->displayTextOf(vals[static_cast<size_t>(f->index())]));
        }
        case Qt::TextAlignmentRole: {
            Qt::Alignment a = col.alignment ? *col.alignment : (fieldAlignsRight(f) ? Qt::AlignRight : Qt::AlignLeft);
            return QVariant::fromValue(a | Qt::AlignVCenter);
        }
        default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, o, role);
    if (o == Qt::Vertical) return QString();
    return grid_->columnTitle(section);
}

}  // namespace ui
