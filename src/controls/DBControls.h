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

#include "controls/ControlSupport.h"

namespace ui {

// ---------------------------------------------------------------- edit

class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    void setDataSource(data::DataSource* s);
    data::DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name);
    QString dataField() const { return qs(link_.fieldName()); }
    data::Field* field() const { return link_.field(); }
    data::DataSet* dataSet() const { return link_.dataSet(); }
    FieldDataLink& dataLink() { return link_; }

    // The control's own read-only flag (the field and data set may add theirs).
    void setDataReadOnly(bool r) { link_.setReadOnly(r); }
    bool dataReadOnly() const { return link_.readOnly(); }
    // Select the whole text when the control is entered from the keyboard.
    void setAutoSelect(bool a) { autoSelect_ = a; }
    bool autoSelect() const { return autoSelect_; }

    KeyDownHook onKeyDown;
    KeyPressHook onKeyPress;

signals:
    void doubleClicked();

protected:
    // Key-down stage; true consumes the key.
    virtual bool handleKeyDown(QKeyEvent* e);
    // Character stage; true consumes (drops) the character.
    virtual bool handleChar(QKeyEvent* e, int ch);
    // Shows the field: its edit text under its edit mask while focused, its
    // display text otherwise.
    virtual void dataChange();
    // Writes the text into the field.
    virtual void updateData();
    // Sets the text as if typed (the field receives it when left or posted).
    void setTypedText(const QString& text);
    bool hasDataFocus() const { return focused_; }
    const EditMask& editMask() const { return mask_; }

    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void editingChange();
    void applyMask(const EditMask& m);

    FieldDataLink link_;
    EditMask mask_;
    bool focused_ = false;
    bool autoSelect_ = true;
};

// ---------------------------------------------------------------- combo box

// Free text with a drop-down list of fixed items.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    ~DBComboBox() override;

    void setDataSource(data::DataSource* s);
    data::DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name);
    QString dataField() const { return qs(link_.fieldName()); }
    data::Field* field() const { return link_.field(); }
    data::DataSet* dataSet() const { return link_.dataSet(); }
    FieldDataLink& dataLink() { return link_; }
    void setDataReadOnly(bool r) { link_.setReadOnly(r); }
    // The list of items offered (replaces the current ones).
    void setItems(const QStringList& items);

    KeyDownHook onKeyDown;
    KeyPressHook onKeyPress;

protected:
    virtual bool handleKeyDown(QKeyEvent* e);
    virtual bool handleChar(QKeyEvent* e, int ch);
    void dataChange();

    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void setComboText(const QString& t);
    void chosen(int index);

    FieldDataLink link_;
    bool focused_ = false;
    bool loading_ = false;
};

// ---------------------------------------------------------------- check box

class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(QWidget* parent = nullptr);
    ~DBCheckBox() override;

    void setDataSource(data::DataSource* s);
    data::DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name);
    QString dataField() const { return qs(link_.fieldName()); }
    data::Field* field() const { return link_.field(); }
    data::DataSet* dataSet() const { return link_.dataSet(); }
    FieldDataLink& dataLink() { return link_; }
    void setDataReadOnly(bool r) { link_.setReadOnly(r); }
    // Texts stored in a text field for the two states.
    QString valueChecked = QStringLiteral("True");
    QString valueUnchecked = QStringLiteral("False");

    KeyDownHook onKeyDown;
    KeyPressHook onKeyPress;

protected:
    virtual bool handleKeyDown(QKeyEvent* e);
    virtual bool handleChar(QKeyEvent* e, int ch);
    void dataChange();
    // A toggle puts the record into edit mode and writes the field at once.
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    FieldDataLink link_;
};

// ---------------------------------------------------------------- lookup

// Shows, for the key held in the field, the list field of the matching row
// of another data set, and offers all its rows to choose from.
class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    void setDataSource(data::DataSource* s);
    data::DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name);
    QString dataField() const { return qs(link_.fieldName()); }
    data::Field* field() const { return link_.field(); }
    data::DataSet* dataSet() const { return link_.dataSet(); }
    FieldDataLink& dataLink() { return link_; }
    void setDataReadOnly(bool r) { link_.setReadOnly(r); }

    void setListSource(data::DataSource* s);
    data::DataSource* listSource() const;
    void setKeyField(const QString& name);
    // The field shown ("Denumire"; of "A;B" the first is shown).
    void setListField(const QString& name);
    // Re-reads the rows of the list data set.
    void rebuildList();

    KeyDownHook onKeyDown;
    KeyPressHook onKeyPress;

protected:
    virtual bool handleKeyDown(QKeyEvent* e);
    virtual bool handleChar(QKeyEvent* e, int ch);
    void dataChange();
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void chosen(int index);
    class ListLink;
    FieldDataLink link_;
    std::unique_ptr<ListLink> listLink_;
    std::string keyField_, listField_;
    std::vector<data::Value> keys_;
    bool loading_ = false;
};

}  // namespace ui
