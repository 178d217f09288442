// The grid's value types: its options, its columns and the indicator marks.
#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace ui {

enum GridOption : unsigned {
    dgEditing = 1u << 0,           // cells can be edited
    dgAlwaysShowEditor = 1u << 1,  // the editor shows as soon as a cell is current
    dgTitles = 1u << 2,            // title row
    dgIndicator = 1u << 3,         // indicator column at the left
    dgColumnResize = 1u << 4,      // columns can be resized and moved
    dgColLines = 1u << 5,
    dgRowLines = 1u << 6,
    dgTabs = 1u << 7,                 // Tab and Shift+Tab move between cells
    dgRowSelect = 1u << 8,            // whole rows highlighted, no cell editing
    dgAlwaysShowSelection = 1u << 9,  // current row stays highlighted without focus
    dgConfirmDelete = 1u << 10,       // ask before deleting
    dgCancelOnExit = 1u << 11,        // an untouched new record is dropped on leaving
    dgMultiSelect = 1u << 12,         // several rows can be selected
};
using GridOptions = unsigned;

constexpr GridOptions kDefaultGridOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                                            dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;

struct TColumnTitle {
    QString caption;  // empty = the field's display label
};

struct TColumn {
    QString fieldName;
    TColumnTitle title;
    bool visible = true;
    int width = 0;                           // pixels; 0 = from the field
    std::optional<Qt::Alignment> alignment;  // none = numbers right, text left
    bool readOnly = false;
    QStringList pickList;
    int dropDownRows = 7;

    TColumn() = default;
    explicit TColumn(QString field, QString caption = {}) : fieldName(std::move(field)), title{std::move(caption)} {}
};

enum class IndicatorKind { None, Arrow, Edit, Insert, MultiDot, MultiArrow };

}  // namespace ui
