// The grid's cell editor: edits the current field's edit text under the
// field's edit mask; a column with a pick list gets a drop-down button.
#pragma once
#include <QLineEdit>

#include "controls/ControlSupport.h"

class QListWidget;
class QToolButton;

namespace ui {

class PickList;
class TNormalDBGrid;

class TDBGridInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBGridInplaceEdit(TNormalDBGrid* grid);
    ~TDBGridInplaceEdit() override;

    TNormalDBGrid* grid() const { return grid_; }
    // Select the whole text when the editor gets the focus.
    void setAutoSelect(bool a) { autoSelect_ = a; }
    bool autoSelect() const { return autoSelect_; }
    // On: the next character typed replaces the whole text (a cell entered by
    // the keyboard, or whose text the field refused). Any other key that
    // edits or moves the caret, F2 and a click leave the text to be edited
    // in place.
    void setReplaceOnType(bool on) { replaceOnType_ = on; }
    bool replaceOnType() const { return replaceOnType_; }
    // Loads a cell: its text under its edit mask (without one, typing stops
    // at `maxLength` characters), and the column's pick list.
    void loadCell(const QString& text, const EditMask& mask, int maxLength, const QStringList& pickList,
                  int dropDownRows);
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
    // Pasting, dropping: text the edit mask would take apart goes through
    // the field's conversion first (see pasteUnderMask).
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class PickList;
    friend class TNormalDBGrid;
    void processKey(QKeyEvent* e);
    // True when the text was dealt with (pasted, or refused with the
    // field's message); false leaves it to the line edit's own paste.
    bool pasteChecked(const QString& text);
    void listChosen(const QString& item);
    bool leftSide() const;
    bool rightSide() const;

    TNormalDBGrid* grid_;
    EditMask mask_;
    QStringList pickList_;
    int dropDownRows_ = 7;
    bool autoSelect_ = true;
    bool replaceOnType_ = false;
    QToolButton* button_ = nullptr;
    class PickList* list_ = nullptr;
};

}  // namespace ui
