// The data grid: one row per record of a data set, one column per field, an
// indicator column showing the current record's state and a cell editor for
// the current cell. Navigation, editing and deletion act on the data set
// behind the grid's data source; the view (a QTableView over a table model
// that reads the data set's rows) only follows it.
#pragma once
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "controls/DataControl.h"

class QToolButton;

namespace ui {

enum GridOption : unsigned {
    dgEditing = 1u << 0,              // cells can be edited
    dgAlwaysShowEditor = 1u << 1,     // the editor shows as soon as a cell is current
    dgTitles = 1u << 2,               // title row
    dgIndicator = 1u << 3,            // indicator column at the left
    dgColumnResize = 1u << 4,         // columns can be resized and moved
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
    int width = 0;  // pixels; 0 = from the field
    std::optional<Qt::Alignment> alignment;  // none = numbers right, text left
    bool readOnly = false;
    QStringList pickList;
    int dropDownRows = 7;

    TColumn() = default;
    explicit TColumn(QString field, QString caption = {}) : fieldName(std::move(field)), title{std::move(caption)} {}
};

enum class IndicatorKind { None, Arrow, Edit, Insert, MultiDot, MultiArrow };

class TNormalDBGrid;

// ---------------------------------------------------------------- cell editor

class TDBGridInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBGridInplaceEdit(TNormalDBGrid* grid);
    ~TDBGridInplaceEdit() override;

    TNormalDBGrid* grid() const { return grid_; }
    // Select the whole text when the editor gets the focus.
    void setAutoSelect(bool a) { autoSelect_ = a; }
    bool autoSelect() const { return autoSelect_; }
    // Loads a cell: its text under its edit mask, and the column's pick list.
    void loadCell(const QString& text, const EditMask& mask, const QStringList& pickList, int dropDownRows);
    const EditMask& mask() const { return mask_; }
    // The text as the field receives it.
    QString fieldText() const { return maskedText(this, mask_); }
    bool hasPickList() const { return !pickList_.isEmpty(); }
    // Opens the pick list under the cell (above it when there is no room below).
    void dropDown();
    bool listVisible() const;
    QListWidget* pickListWidget() const;

protected:
    // Key-down stage on a key and its modifiers; true consumes the key.
    virtual bool handleKeyDown(QKeyEvent* e, int key, Qt::KeyboardModifiers mods);
    // Character stage; true drops the character.
    virtual bool handleChar(QKeyEvent* e, int ch);
    // Hands a key to the grid's key-down handling.
    void sendToGrid(int key, Qt::KeyboardModifiers mods);
    // Passes a key to the line edit itself.
    void baseKey(int key, Qt::KeyboardModifiers mods);
    // The editor arrives in a new cell while focused (selection on entry).
    virtual void enterCell();

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class PickList;
    friend class TNormalDBGrid;
    void listChosen(const QString& item);
    bool leftSide() const;
    bool rightSide() const;

    TNormalDBGrid* grid_;
    EditMask mask_;
    QStringList pickList_;
    int dropDownRows_ = 7;
    bool autoSelect_ = true;
    QToolButton* button_ = nullptr;
    class PickList* list_ = nullptr;
};

// The drop-down list of a pick-list column, with type-ahead: letters typed
// within 2 seconds of each other (at most 32) select the first item that
// starts with them.
class PickList : public QListWidget {
    Q_OBJECT
public:
    explicit PickList(TDBGridInplaceEdit* editor);
    const QString& searchText() const { return search_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void choose();
    TDBGridInplaceEdit* editor_;
    QString search_;
    qint64 lastKey_ = 0;
};

// ---------------------------------------------------------------- model

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

private:
    TNormalDBGrid* grid_;
    int rows_ = 0, cols_ = 0;
    mutable std::map<int, std::vector<data::Value>> cache_;
};

// ---------------------------------------------------------------- grid

class TNormalDBGrid : public RecordControl<QTableView> {
    Q_OBJECT
public:
    explicit TNormalDBGrid(QWidget* parent = nullptr);
    ~TNormalDBGrid() override;

    GridOptions options() const { return options_; }
    // With dgRowSelect the options lose dgEditing and dgAlwaysShowEditor.
    void setOptions(GridOptions o);
    bool hasOption(GridOption o) const { return (options_ & o) != 0; }
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool r);

    // The layout's columns; none = one column per visible field.
    const std::vector<TColumn>& columns() const { return columns_; }
    void setColumns(std::vector<TColumn> cols);
    int columnCount() const { return static_cast<int>(columns_.size()); }
    data::Field* columnField(int col) const;
    QString columnTitle(int col) const;

    // The current column (index into columns()) and its field.
    int selectedIndex() const { return selCol_; }
    void setSelectedIndex(int col);
    data::Field* selectedField() const { return columnField(selCol_); }
    // View row of the current record (the new record while inserting); -1 when none.
    int currentRow() const;
    IndicatorKind indicator(int row) const;
    const std::set<int>& selectedRows() const { return selectedRows_; }

    bool editorMode() const;  // the cell editor is showing
    void setEditorMode(bool on);
    TDBGridInplaceEdit* inplaceEditor() const { return editor_; }
    // Puts the record into edit mode if the current cell may be changed.
    bool canEditModify();
    // The editor's text differs from the field.
    bool editorModified() const { return editModified_; }

    // Key-down handling of the grid; the cell editor passes its keys here.
    // Returns true when the key was used.
    virtual bool gridKeyDown(int key, Qt::KeyboardModifiers mods);
    // Character handling of the grid; true when used.
    virtual bool gridKeyChar(int ch);

    // The window's key handler, run before the grid's (also for keys typed in
    // the cell editor); return true to consume the key.
    std::function<bool(QKeyEvent*)> onKeyDown;

    int visibleRowCount() const;

signals:
    void dblClick();
    void titleClick(int column);

protected:
    virtual TDBGridInplaceEdit* createEditor();
    // Called once the editor exists (subclasses configure it).
    virtual void editorCreated(TDBGridInplaceEdit*) {}
    TDBGridInplaceEdit* ensureEditor();
    // Column navigation in visual order.
    int firstColumn() const;
    int lastColumn() const;
    int nextColumn(int col) const;
    int priorColumn(int col) const;
    int dataColumnCount() const;
    // Record moves (errors shown, aborts silent); true when completed.
    bool moveBy(int distance);
    bool moveToRow(int row);
    // Down / Up with the rules for an untouched new record; false when an
    // error stopped them.
    bool keyDownArrow();
    bool keyUpArrow();
    void deleteRecord();
    int topVisibleRow() const;
    int bottomVisibleRow() const;

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* e) override;
    void updateGeometries() override;

private:
    friend class GridModel;
    friend class TDBGridInplaceEdit;
    class Indicator;

    void linkActiveChanged();
    void linkDataSetChanged();
    void linkScrolled();
    void linkRecordChanged(data::Field* f);
    void linkEditingChanged();
    void linkUpdateData();

    void rebuildColumns();
    void applyOptions();
    void syncCurrent();
    void updateEditor();
    // Loads the current cell into the editor; `enter` applies the selection
    // rules of entering a cell.
    void loadEditor(bool enter);
    bool canEditShow() const;
    bool focusInside() const;
    void leaving();
    void appFocusChanged(QWidget* old, QWidget* now);
    bool commitEditor();

    GridModel* model_;
    Indicator* indicator_;
    std::vector<TColumn> columns_;
    bool defaultColumns_ = true;
    GridOptions options_ = kDefaultGridOptions;
    bool readOnly_ = false;
    int selCol_ = 0;
    bool editorMode_ = false;
    bool editModified_ = false;
    bool syncing_ = false;
    TDBGridInplaceEdit* editor_ = nullptr;
    int loadedRow_ = -1, loadedCol_ = -1;
    std::set<int> selectedRows_;
};

}  // namespace ui
