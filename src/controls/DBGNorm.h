// The data controls with the keyboard conventions of the data windows:
// Enter and Down move to the next control, Up to the previous one, Page Up
// and Page Down to the previous and next record (posting first), Insert
// starts a record, Ctrl+Delete drops a new record or deletes the current
// one, Ctrl+R re-reads the data set and Ctrl+U cancels the pending changes.
// The grid walks from cell to cell with Enter.
#pragma once
#include "controls/DBControls.h"
#include "controls/DDBGrids.h"

namespace ui {

class TDBEditNormal : public DBEdit {
    Q_OBJECT
public:
    explicit TDBEditNormal(QWidget* parent = nullptr) : DBEdit(parent) {}

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
};

class TDBComboNormal : public DBComboBox {
    Q_OBJECT
public:
    explicit TDBComboNormal(QWidget* parent = nullptr) : DBComboBox(parent) {}

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
};

class TDBCheckBoxNormal : public DBCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBoxNormal(QWidget* parent = nullptr) : DBCheckBox(parent) {}

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
};

class TDBLookupComboBoxNormal : public DBLookupComboBox {
    Q_OBJECT
public:
    explicit TDBLookupComboBoxNormal(QWidget* parent = nullptr) : DBLookupComboBox(parent) {}

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
};

// The grid's cell editor: Enter moves on like Right with the whole text
// selected; with NoEditSelection, entering a cell puts the caret at the
// start (masked columns) or after the last character, selecting nothing.
class TXInPlaceEdit : public TDBGridInplaceEdit {
    Q_OBJECT
public:
    explicit TXInPlaceEdit(TNormalDBGrid* grid);
    bool noEditSelection() const { return noEditSelection_; }
    void setNoEditSelection(bool v) { noEditSelection_ = v; }

protected:
    bool handleKeyDown(QKeyEvent* e, int key, Qt::KeyboardModifiers mods) override;
    bool handleChar(QKeyEvent* e, int ch) override;
    void enterCell() override;
    void focusInEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void postCaretPlacement();
    bool noEditSelection_ = true;
};

class TDBGridNormal : public TNormalDBGrid {
    Q_OBJECT
public:
    enum DragMode { dmManual, dmAutomatic };

    explicit TDBGridNormal(QWidget* parent = nullptr);

    // On: the editor is always shown and entering a cell selects nothing.
    bool noEditSelection() const { return noEditSelection_; }
    void setNoEditSelection(bool v);
    DragMode dragMode() const { return dragMode_; }
    void setDragMode(DragMode m) { dragMode_ = m; }

    bool gridKeyDown(int key, Qt::KeyboardModifiers mods) override;

signals:
    // Automatic drag mode: the mouse moved beyond the drag threshold with the
    // left button held after a press in the grid.
    void dragStarted();

protected:
    TDBGridInplaceEdit* createEditor() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool noEditSelection_ = false;
    DragMode dragMode_ = dmManual;
    bool leftDown_ = false;
    QPoint pressPos_;
};

}  // namespace ui
