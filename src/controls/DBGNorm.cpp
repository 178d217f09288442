#include "controls/DBGNorm.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QScrollBar>

namespace ui {

// ================================================================ TDBEditNormal

bool TDBEditNormal::handleKeyDown(QKeyEvent* e) {
    const int key = e->key();
    if (isEnterKey(key) || key == Qt::Key_Down) {
        if (!noMods(e)) return DBEdit::handleKeyDown(e);
        focusNextControl(this);
        return true;
    }
    switch (key) {
        case Qt::Key_Up:
            if (noMods(e)) focusPriorControl(this);
            return true;
        case Qt::Key_PageUp: actionPrior(this, dataSet()); return true;
        case Qt::Key_PageDown: actionNext(this, dataSet()); return true;
        case Qt::Key_Insert: actionInsert(this, dataSet()); return true;
        case Qt::Key_Delete:
            if (!ctrlAlone(e)) return DBEdit::handleKeyDown(e);
            actionCancelOrDelete(this, dataSet());
            return true;
        case Qt::Key_R:
            if (!ctrlAlone(e)) return DBEdit::handleKeyDown(e);
            actionRefresh(this, dataSet());
            return true;
        case Qt::Key_U:
            if (!ctrlAlone(e)) return DBEdit::handleKeyDown(e);
            actionCancel(this, dataSet());
            return true;
        default: return DBEdit::handleKeyDown(e);
    }
}

bool TDBEditNormal::handleChar(QKeyEvent* e, int ch) {
    if (ch == kCharEnter || ch == kCharCtrlR || ch == kCharCtrlU) return true;
    return DBEdit::handleChar(e, ch);
}

// ================================================================ combo boxes

namespace {
// Alt+Down and F4 open the list; choosing in it changes the value.
bool opensList(const QKeyEvent* e) {
    return (e->key() == Qt::Key_Down && keyMods(e) == Qt::AltModifier) || (e->key() == Qt::Key_F4 && noMods(e));
}

// The keys the combo box and the lookup combo box share; true when used.
// Up and Down move between fields and Page Up and Page Down between records,
// as in every other field: none of them walks the list, which would change
// the value unseen.
bool comboKeyDown(QWidget* w, data::DataSet* ds, QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: focusNextControl(w); return true;
        case Qt::Key_Up:
            if (noMods(e)) focusPriorControl(w);
            return true;
        case Qt::Key_Down:
            if (noMods(e)) focusNextControl(w);
            return true;
        case Qt::Key_PageUp: actionPrior(w, ds); return true;
        case Qt::Key_PageDown: actionNext(w, ds); return true;
        case Qt::Key_Insert: actionInsert(w, ds); return true;
        case Qt::Key_Delete:
            if (!ctrlAlone(e)) return false;
            actionCancelOrDelete(w, ds);
            return true;
        case Qt::Key_R:
            if (!ctrlAlone(e)) return false;
            actionRefresh(w, ds);
            return true;
        case Qt::Key_U:
            if (!ctrlAlone(e)) return false;
            actionCancel(w, ds);
            return true;
        default: return false;
    }
}
}  // namespace

bool TDBComboNormal::handleKeyDown(QKeyEvent* e) {
    if (view()->isVisible() && isEnterKey(e->key())) return DBComboBox::handleKeyDown(e);  // choose in the open list
    if (opensList(e)) return false;  // opening the list edits nothing yet
    return comboKeyDown(this, dataSet(), e) || DBComboBox::handleKeyDown(e);
}

bool TDBComboNormal::handleChar(QKeyEvent* e, int ch) {
    switch (ch) {
        case kCharEnter: return true;
        case kCharCtrlR: actionRefresh(this, dataSet()); return true;
        case kCharCtrlU: actionCancel(this, dataSet()); return true;
        default: return DBComboBox::handleChar(e, ch);
    }
}

bool TDBLookupComboBoxNormal::handleKeyDown(QKeyEvent* e) {
    if (view()->isVisible() && isEnterKey(e->key())) return DBLookupComboBox::handleKeyDown(e);
    if (opensList(e)) return false;
    // Home and End would choose the first and last row
    if (e->key() == Qt::Key_Home || e->key() == Qt::Key_End) return true;
    return comboKeyDown(this, dataSet(), e) || DBLookupComboBox::handleKeyDown(e);
}

bool TDBLookupComboBoxNormal::handleChar(QKeyEvent* e, int ch) {
    if (ch == kCharEnter) return true;
    return DBLookupComboBox::handleChar(e, ch);
}

// ================================================================ TDBCheckBoxNormal

bool TDBCheckBoxNormal::handleKeyDown(QKeyEvent* e) {
    if (isEnterKey(e->key())) focusNextControl(this);
    return DBCheckBox::handleKeyDown(e);
}

bool TDBCheckBoxNormal::handleChar(QKeyEvent* e, int ch) {
    if (ch == kCharEnter) return true;
    return DBCheckBox::handleChar(e, ch);
}

// ================================================================ TXInPlaceEdit

TXInPlaceEdit::TXInPlaceEdit(TNormalDBGrid* grid) : TDBGridInplaceEdit(grid) { setAutoSelect(false); }

bool TXInPlaceEdit::handleKeyDown(QKeyEvent* e, int key, Qt::KeyboardModifiers mods) {
    if (isEnterKey(key)) {
        if (mods != Qt::NoModifier) return true;  // ignored here; the window may have previewed it
        // With the whole text selected, Right is passed on to the grid: the
        // next cell, exactly as Enter in the grid itself.
        selectAll();
        if (!TDBGridInplaceEdit::handleKeyDown(e, Qt::Key_Right, Qt::NoModifier))
            baseKey(Qt::Key_Right, Qt::NoModifier);
        return true;
    }
    if (key == Qt::Key_Delete && mods == Qt::ControlModifier) {
        sendToGrid(key, mods);
        return true;
    }
    return TDBGridInplaceEdit::handleKeyDown(e, key, mods);
}

bool TXInPlaceEdit::handleChar(QKeyEvent* e, int ch) {
    if (ch == kCharEnter) return true;
    return TDBGridInplaceEdit::handleChar(e, ch);
}

void TXInPlaceEdit::postCaretPlacement() {
    if (text().isEmpty()) return;
    QPointer<TXInPlaceEdit> self(this);
    // Applied after the default focus handling, which would select everything.
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self) return;
            self->deselect();
            if (!self->mask().empty())
                self->setCursorPosition(0);
            else
                self->setCursorPosition(static_cast<int>(self->text().size()));
        },
        Qt::QueuedConnection);
}

void TXInPlaceEdit::enterCell() {
    if (noEditSelection_)
        postCaretPlacement();
    else
        TDBGridInplaceEdit::enterCell();
}

void TXInPlaceEdit::focusInEvent(QFocusEvent* e) {
    if (noEditSelection_) postCaretPlacement();
    TDBGridInplaceEdit::focusInEvent(e);
}

void TXInPlaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QPointer<TXInPlaceEdit> self(this);
    QPointF local = e->position(), global = e->globalPosition();
    TDBGridInplaceEdit::mouseDoubleClickEvent(e);
    // The double-click may have opened or closed a window: make sure the
    // editor does not stay in mouse selection.
    if (self)
        QCoreApplication::postEvent(self, new QMouseEvent(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                                                          Qt::NoButton, Qt::NoModifier));
}

// ================================================================ TDBGridNormal

TDBGridNormal::TDBGridNormal(QWidget* parent) : TNormalDBGrid(parent) { setNoEditSelection(true); }

void TDBGridNormal::setNoEditSelection(bool v) {
    noEditSelection_ = v;
    if (v) setOptions(options() | dgAlwaysShowEditor);
    if (auto* ed = qobject_cast<TXInPlaceEdit*>(inplaceEditor())) ed->setNoEditSelection(v);
}

TDBGridInplaceEdit* TDBGridNormal::createEditor() {
    auto* ed = new TXInPlaceEdit(this);
    ed->setNoEditSelection(noEditSelection_);
    return ed;
}

bool TDBGridNormal::gridKeyDown(int key, Qt::KeyboardModifiers mods) {
    data::DataSet* ds = dataSet();
    if (!ds || !ds->active()) return TNormalDBGrid::gridKeyDown(key, mods);
    const bool rowSel = hasOption(dgRowSelect);
    if (isEnterKey(key)) {
        if (mods != Qt::NoModifier) return TNormalDBGrid::gridKeyDown(key, mods);
        if (selectedIndex() != lastColumn()) return TNormalDBGrid::gridKeyDown(Qt::Key_Right, Qt::NoModifier);
        // Last column: the next record (appended at the end when editable),
        // first data column.
        if (keyDownArrow()) setSelectedIndex(firstColumn());
        return true;
    }
    if (key == Qt::Key_Left) {
        if (rowSel) {
            QScrollBar* sb = horizontalScrollBar();
            if (sb->value() > sb->minimum()) sb->setValue(sb->value() - 1);
            return true;
        }
        if (selectedIndex() == firstColumn() && currentRow() > topVisibleRow()) {
            // to the last column of the record above
            if (keyUpArrow()) setSelectedIndex(lastColumn());
            return true;
        }
        return TNormalDBGrid::gridKeyDown(key, mods);
    }
    if (key == Qt::Key_Right) {
        if (rowSel) {
            QScrollBar* sb = horizontalScrollBar();
            if (sb->value() < sb->maximum()) sb->setValue(sb->value() + 1);
            return true;
        }
        if (selectedIndex() == lastColumn()) {
            if (keyDownArrow()) setSelectedIndex(firstColumn());
            return true;
        }
        return TNormalDBGrid::gridKeyDown(key, mods);
    }
    return TNormalDBGrid::gridKeyDown(key, mods);
}

void TDBGridNormal::mousePressEvent(QMouseEvent* e) {
    TNormalDBGrid::mousePressEvent(e);
    if (dragMode_ == dmAutomatic && e->button() == Qt::LeftButton) {
        leftDown_ = true;
        pressPos_ = e->position().toPoint();
    }
}

void TDBGridNormal::mouseMoveEvent(QMouseEvent* e) {
    if (leftDown_ && (e->buttons() & Qt::LeftButton) &&
        (e->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        leftDown_ = false;
        emit dragStarted();
        return;
    }
    TNormalDBGrid::mouseMoveEvent(e);
}

void TDBGridNormal::mouseReleaseEvent(QMouseEvent* e) {
    leftDown_ = false;
    TNormalDBGrid::mouseReleaseEvent(e);
}

void TDBGridNormal::mouseDoubleClickEvent(QMouseEvent* e) {
    TNormalDBGrid::mouseDoubleClickEvent(e);
    if (dragMode_ == dmAutomatic && e->button() == Qt::LeftButton) {
        leftDown_ = true;
        pressPos_ = e->position().toPoint();
    }
}

}  // namespace ui
