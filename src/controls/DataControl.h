// The binding of the data controls, written once: a control is its toolkit
// widget (Base) plus a data link to a data source, and implements DataBound
// through it. Field controls (edit, combo box, check box, lookup, date edit)
// bind one field through a FieldDataLink and share the key dispatch with the
// window's hooks; record controls (grid, position bar) follow the whole data
// set through a RecordDataLink.
//
// These are plain class templates (no Q_OBJECT): the concrete controls derive
// from them and carry Q_OBJECT themselves.
#pragma once
#include <QKeyEvent>
#include <QWidget>

#include "controls/ControlSupport.h"
#include "controls/DataBound.h"

namespace ui {

template <class Base, class Link>
class DataControl : public Base, public DataBound {
public:
    explicit DataControl(QWidget* parent = nullptr) : Base(parent) {}

    void setDataSource(data::DataSource* s) override { link_.setDataSource(s); }
    data::DataSource* dataSource() const override { return link_.dataSource(); }
    data::DataSet* dataSet() const { return link_.dataSet(); }
    Link& dataLink() { return link_; }
    const Link& dataLink() const { return link_; }

protected:
    // The callbacks capture the control: they go before the control's parts do.
    ~DataControl() override { link_.detach(); }

    Link link_;
};

template <class Base>
using RecordControl = DataControl<Base, RecordDataLink>;

template <class Base>
class FieldControl : public DataControl<Base, FieldDataLink> {
public:
    explicit FieldControl(QWidget* parent = nullptr) : DataControl<Base, FieldDataLink>(parent) {
        this->link_.setControl(this);
    }

    bool showsField() const override { return true; }
    void setDataField(const QString& name) override { this->link_.setFieldName(ss(name)); }
    QString dataField() const override { return qs(this->link_.fieldName()); }
    bool holdsTypedText() const override { return this->link_.isModified(); }
    data::Field* field() const { return this->link_.field(); }

    // The control's own read-only flag (the field and data set may add theirs).
    void setDataReadOnly(bool r) { this->link_.setReadOnly(r); }
    bool dataReadOnly() const { return this->link_.readOnly(); }

    // The window's key hooks (see ControlSupport.h), run before the control's own.
    KeyDownHook onKeyDown;
    KeyPressHook onKeyPress;

protected:
    // Key-down stage; true consumes the key.
    virtual bool handleKeyDown(QKeyEvent*) { return false; }
    // Character stage; true consumes (drops) the character.
    virtual bool handleChar(QKeyEvent*, int) { return false; }

    // The base widget's handling of a key none of the stages consumed.
    virtual void baseKeyPress(QKeyEvent* e) { Base::keyPressEvent(e); }

    void keyPressEvent(QKeyEvent* e) override {
        const QString sep = decimalKeyText(e, field());
        if (sep.isEmpty()) {
            dispatch(e);
            return;
        }
        // The decimal key of either keyboard types the decimal separator.
        QKeyEvent typed(e->type(), e->key(), e->modifiers(), sep, e->isAutoRepeat(), e->count());
        dispatch(&typed);
        e->setAccepted(typed.isAccepted());
    }

private:
    void dispatch(QKeyEvent* e) {
        if (!dispatchKey(
                e, onKeyDown, onKeyPress, [this](QKeyEvent* k) { return handleKeyDown(k); },
                [this](QKeyEvent* k, int ch) { return handleChar(k, ch); }))
            baseKeyPress(e);
    }
};

}  // namespace ui
