// The table model behind the grid's view: reads the rows of the data set
// behind the grid's data source (the record being edited shows its buffer).
#pragma once
#include <QAbstractTableModel>
#include <map>
#include <vector>

#include "data/DataSet.h"

namespace ui {

class TNormalDBGrid;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(TNormalDBGrid* grid);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // Re-reads everything (rows added or removed reset the view).
    void refresh();
    void refreshRow(int row);
    void refreshHeaders();
    // The values of a view row (the record being edited shows its buffer).
    std::vector<data::Value> rowValues(int row) const;
    // The view rows of a data set: its records, plus the one being inserted.
    static int rowsFor(data::DataSet* ds);

private:
    TNormalDBGrid* grid_;
    int rows_ = 0, cols_ = 0;
    mutable std::map<int, std::vector<data::Value>> cache_;
};

}  // namespace ui
