// The plain data-aware controls: an edit, a combo box with a fixed item list,
// a check box and a lookup combo box, each bound to one field of a data set
// through a data source. They follow the record's state (read-only display
// while browsing; typing puts the record into edit mode) and write their text
// into the field when left or when the record is posted. The keyboard
// conventions of the data windows are added by the classes in DBGNorm.h.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <vector>

#include "controls/DataControl.h"

namespace ui {

// ---------------------------------------------------------------- edit

class DBEdit : public FieldControl<QLineEdit> {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    // Select the whole text when the control is entered from the keyboard.
    void setAutoSelect(bool a) { autoSelect_ = a; }
    bool autoSelect() const { return autoSelect_; }

signals:
    void doubleClicked();

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
    // Shows the field: its edit text under its edit mask while focused, its
    // display text otherwise.
    virtual void dataChange();
    // Writes the text into the field.
    virtual void updateData();
    // Sets the text as if typed (the field receives it when left or posted).
    void setTypedText(const QString& text);
    bool hasDataFocus() const { return focused_; }
    const EditMask& editMask() const { return mask_; }

    // Pasting, dropping: text the edit mask would take apart goes through
    // the field's conversion first (see pasteUnderMask).
    void baseKeyPress(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void editingChange();
    void applyMask(const EditMask& m);
    // True when the text was dealt with (pasted, or refused with the
    // field's message); false leaves it to the line edit's own paste.
    bool pasteChecked(const QString& text);

    EditMask mask_;
    bool focused_ = false;
    bool autoSelect_ = true;
};

// ---------------------------------------------------------------- combo box

// Free text with a drop-down list of fixed items.
class DBComboBox : public FieldControl<QComboBox> {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);

    // The list of items offered (replaces the current ones).
    void setItems(const QStringList& items);

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
    void dataChange();

    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    // A pasted text that does not fit the field is refused with its message.
    void baseKeyPress(QKeyEvent* e) override;

private:
    void setComboText(const QString& t);
    void chosen(int index);

    bool focused_ = false;
    bool loading_ = false;
};

// ---------------------------------------------------------------- check box

class DBCheckBox : public FieldControl<QCheckBox> {
    Q_OBJECT
public:
    explicit DBCheckBox(QWidget* parent = nullptr);

    // Texts stored in a text field for the two states.
    QString valueChecked = QStringLiteral("True");
    QString valueUnchecked = QStringLiteral("False");

protected:
    void dataChange();
    // A toggle puts the record into edit mode and writes the field at once.
    void nextCheckState() override;
};

// ---------------------------------------------------------------- lookup

// Shows, for the key held in the field, the list field of the matching row
// of another data set, and offers all its rows to choose from.
class DBLookupComboBox : public FieldControl<QComboBox> {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    void setListSource(data::DataSource* s);
    data::DataSource* listSource() const;
    void setKeyField(const QString& name);
    // The field shown ("Denumire"; of "A;B" the first is shown).
    void setListField(const QString& name);
    // Re-reads the rows of the list data set.
    void rebuildList();

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    bool handleChar(QKeyEvent* e, int ch) override;
    void dataChange();
    void wheelEvent(QWheelEvent* e) override;

private:
    void chosen(int index);
    class ListLink;
    std::unique_ptr<ListLink> listLink_;
    std::string keyField_, listField_;
    std::vector<data::Value> keys_;
    bool loading_ = false;
};

}  // namespace ui
