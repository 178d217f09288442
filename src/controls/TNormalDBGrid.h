// The data grid: one row per record of a data set, one column per field, an
// indicator column showing the current record's state and a cell editor for
// the current cell. Navigation, editing and deletion act on the data set
// behind the grid's data source; the view (a QTableView over a table model
// that reads the data set's rows) only follows it.
#pragma once
#include <QTableView>
#include <functional>
#include <set>
#include <vector>

#include "controls/DataControl.h"
#include "controls/GridTypes.h"
#include "controls/TDBGridInplaceEdit.h"

namespace ui {

class GridModel;

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
    bool holdsTypedText() const override { return editModified_; }
    // Typing into the cell of column `col`, entered by the keyboard, replaces
    // its text: the column holds amounts, typed anew rather than amended.
    bool replacesOnEntry(int col) const;

    // Key-down handling of the grid; the cell editor passes its keys here.
    // Returns true when the key was used.
    virtual bool gridKeyDown(int key, Qt::KeyboardModifiers mods);
    // Character handling of the grid; true when used.
    virtual bool gridKeyChar(int ch);

    // The window's key handler, run before the grid's (also for keys typed in
    // the cell editor); return true to consume the key.
    std::function<bool(QKeyEvent*)> onKeyDown;

    int visibleRowCount() const;

    // The width of every column (hidden ones too), in column order.
    std::vector<int> columnWidths() const;
    // Widths the user gave the columns before (one per column, 0: from the
    // content); they win over the computed ones whenever the columns are
    // laid out again. A list of another length is ignored.
    void setKeptWidths(std::vector<int> widths);
    // Room for every column and a dozen rows: windows start wide enough to
    // show all their columns.
    QSize sizeHint() const override;

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
    void changeEvent(QEvent* e) override;
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
    // The layout's widths, and for the others a width that fits the field's
    // values at the grid's font.
    void applyColumnWidths();
    static int valueWidth(const data::Field* f, const QFontMetrics& fm);
    // The widest text column `col` shows in its first rows.
    int shownWidth(int col, const QFontMetrics& fm) const;
    // What a cell adds to its text's width.
    int cellMargins() const;
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
    std::vector<int> keptWidths_;
};

}  // namespace ui
