#include "controls/DBDate.h"

#include <QKeyEvent>

#include "shell/Messages.h"
#include "controls/PickDate.h"
#include "data/Clock.h"
#include "data/Format.h"

namespace ui {

TDBDateEdit::TDBDateEdit(QWidget* parent) : DBEdit(parent) {
    useFourDigitShortDate();
    button_ = new TDateEditBtn(this);
    connect(button_, &TDateEditBtn::clicked, this, &TDBDateEdit::dropDown);
    // A data set opened after binding is checked then.
    auto active = dataLink().onActiveChange;
    dataLink().onActiveChange = [this, active] {
        data::Field* f = dataLink().field();
        if (f && f->dataType() != data::FieldType::Date) {
            std::string name = f->fieldName();
            dataLink().setFieldName(std::string());
            errorBeep();
            Messages::error(QStringLiteral("\"%1\" nu este un camp de tip data!").arg(qs(name)), window());
            return;
        }
        if (active) active();
    };
}

bool TDBDateEdit::acceptsBinding(data::DataSource* s, const std::string& field) {
    data::DataSet* ds = s ? s->dataSet() : nullptr;
    if (!ds || !ds->active() || field.empty()) return true;
    data::Field* f = ds->findField(field);
    if (!f || f->dataType() == data::FieldType::Date) return true;
    errorBeep();
    Messages::error(QStringLiteral("\"%1\" nu este un camp de tip data!").arg(qs(f->fieldName())), window());
    return false;
}

void TDBDateEdit::setDataSource(data::DataSource* s) {
    if (!acceptsBinding(s, dataLink().fieldName())) return;
    DBEdit::setDataSource(s);
}

void TDBDateEdit::setDataField(const QString& name) {
    if (!acceptsBinding(dataSource(), ss(name))) return;
    DBEdit::setDataField(name);
}

void TDBDateEdit::dropDown() {
    data::Field* f = field();
    if (!f) return;
    data::Date d = f->isNull() ? data::today() : f->asDate();
    if (!d.valid()) d = data::today();
    if (!PickDate(this, d)) return;
    if (!dataLink().edit()) return;
    setTypedText(qs(data::formatShortDate(d)));
}

bool TDBDateEdit::handleKeyDown(QKeyEvent* e) {
    const int key = e->key();
    const Qt::KeyboardModifiers m = keyMods(e);
    if (isEnterKey(key) || key == Qt::Key_Down) {
        if (m == Qt::NoModifier) {
            focusNextControl(this);
            return true;
        }
        if (m & Qt::ControlModifier) {
            dropDown();
            return true;
        }
        return DBEdit::handleKeyDown(e);
    }
    switch (key) {
        case Qt::Key_Up:
            if (m == Qt::NoModifier) focusPriorControl(this);
            return true;
        case Qt::Key_PageUp: actionPrior(this, dataSet()); return true;
        case Qt::Key_PageDown: actionNext(this, dataSet()); return true;
        case Qt::Key_Insert:
            if (m & Qt::ShiftModifier) {
                dataLink().edit();  // the paste proceeds in the edit
                return false;
            }
            actionInsert(this, dataSet());
            return true;
        case Qt::Key_Delete:
            if (m == Qt::ControlModifier) {
                actionCancelOrDelete(this, dataSet());
                return true;
            }
            if (m & Qt::ShiftModifier) {
                dataLink().edit();
                return false;
            }
            return DBEdit::handleKeyDown(e);
        case Qt::Key_R:
            if (m != Qt::ControlModifier) return DBEdit::handleKeyDown(e);
            actionRefresh(this, dataSet());
            return true;
        case Qt::Key_U:
            if (m != Qt::ControlModifier) return DBEdit::handleKeyDown(e);
            actionCancel(this, dataSet());
            return true;
        default: return DBEdit::handleKeyDown(e);
    }
}

void TDBDateEdit::resizeEvent(QResizeEvent* e) {
    DBEdit::resizeEvent(e);
    setTextMargins(0, 0, button_->placeInOwner(), 0);
}

}  // namespace ui
