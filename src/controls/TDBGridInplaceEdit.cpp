#include "controls/TDBGridInplaceEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <utility>

#include "controls/PickList.h"
#include "controls/TNormalDBGrid.h"

namespace ui {

TDBGridInplaceEdit::TDBGridInplaceEdit(TNormalDBGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
    setFrame(false);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { grid_->editModified_ = true; });
    button_ = new QToolButton(this);
    button_->setArrowType(Qt::DownArrow);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    button_->hide();
    connect(button_, &QToolButton::clicked, this, [this] { dropDown(); });
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() = default;

void TDBGridInplaceEdit::loadCell(const QString& text, const EditMask& mask, int maxLength, const QStringList& pickList,
                                  int dropDownRows) {
    if (inputMask() != mask.qtMask) setInputMask(mask.qtMask);
    if (mask.empty()) setMaxLength(maxLength);
    mask_ = mask;
    setText(text);
    pickList_ = pickList;
    dropDownRows_ = dropDownRows > 0 ? dropDownRows : 7;
    button_->setVisible(!pickList_.isEmpty());
    QResizeEvent re(size(), size());
    resizeEvent(&re);
}

void TDBGridInplaceEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    int bw = std::min(height(), 18);
    button_->setGeometry(width() - bw, 0, bw, height());
    setTextMargins(0, 0, button_->isVisibleTo(this) ? bw : 0, 0);
}

bool TDBGridInplaceEdit::listVisible() const { return list_ && list_->isVisible(); }
QListWidget* TDBGridInplaceEdit::pickListWidget() const { return list_; }

void TDBGridInplaceEdit::dropDown() {
    if (pickList_.isEmpty()) return;
    if (!list_) list_ = new PickList(this);
    list_->clear();
    list_->addItems(pickList_);
    QString current;
    if (data::Field* f = grid_->columnField(grid_->loadedCol_)) current = qs(f->editText());
    int sel = pickList_.indexOf(current);
    list_->setCurrentRow(sel);
    int rows = std::min<int>(dropDownRows_, static_cast<int>(pickList_.size()));
    int rh = std::max(list_->sizeHintForRow(0), fontMetrics().height() + 2);
    int frame = list_->frameWidth() * 2;
    int h = rows * rh + frame;
    int w = std::max(width(), list_->sizeHintForColumn(0) + frame +
                                  (rows < pickList_.size() ? list_->verticalScrollBar()->sizeHint().width() : 0));
    QPoint below = mapToGlobal(QPoint(0, height()));
    QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 100000, 100000);
    QPoint pos = below;
    if (below.y() + h > avail.bottom()) pos = mapToGlobal(QPoint(0, 0 - h));
    list_->setGeometry(pos.x(), pos.y(), w, h);
    list_->show();
    list_->setFocus(Qt::PopupFocusReason);
}

void TDBGridInplaceEdit::listChosen(const QString& item) {
    if (list_) list_->hide();
    setFocus(Qt::PopupFocusReason);
    if (!grid_->canEditModify()) return;
    data::Field* f = grid_->columnField(grid_->loadedCol_);
    if (!f) return;
    grid_->editModified_ = false;
    if (!runDataAction(grid_, [&] { f->setText(ss(item)); })) grid_->loadEditor(false);
}

bool TDBGridInplaceEdit::leftSide() const {
    int len = static_cast<int>(displayText().size());
    int start = hasSelectedText() ? selectionStart() : cursorPosition();
    int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    return start == 0 && (end == 0 || end == len);
}

bool TDBGridInplaceEdit::rightSide() const {
    int len = static_cast<int>(displayText().size());
    int start = hasSelectedText() ? selectionStart() : cursorPosition();
    int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    return (start == 0 || end == start) && end == len;
}

void TDBGridInplaceEdit::sendToGrid(int key, Qt::KeyboardModifiers mods) { grid_->gridKeyDown(key, mods); }

void TDBGridInplaceEdit::baseKey(int key, Qt::KeyboardModifiers mods) {
    QKeyEvent ev(QEvent::KeyPress, key, mods);
    QLineEdit::keyPressEvent(&ev);
}

bool TDBGridInplaceEdit::handleKeyDown(QKeyEvent*, int key, Qt::KeyboardModifiers mods) {
    bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    bool forward = grid_->hasOption(dgAlwaysShowEditor);
    switch (key) {
        case Qt::Key_Down:
            if (alt && hasPickList()) {
                dropDown();
                return true;
            }
            sendToGrid(key, mods);
            return true;
        case Qt::Key_Up:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: sendToGrid(key, mods); return true;
        case Qt::Key_Escape:
            // Left to the window when the grid has nothing to undo.
            return grid_->gridKeyDown(key, mods);
        case Qt::Key_Insert:
            if (mods == Qt::NoModifier) {
                sendToGrid(key, mods);
                return true;
            }
            return mods == Qt::ShiftModifier && !grid_->canEditModify();
        case Qt::Key_Left:
        case Qt::Key_Home:
            if (forward && (ctrl || leftSide())) {
                sendToGrid(key, mods);
                return true;
            }
            return false;
        case Qt::Key_Right:
        case Qt::Key_End:
            if (forward && (ctrl || rightSide())) {
                sendToGrid(key, mods);
                return true;
            }
            return false;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (alt) return false;
            sendToGrid(key, mods);
            return true;
        case Qt::Key_Delete:
            if (ctrl) {
                sendToGrid(key, mods);
                return true;
            }
            return !grid_->canEditModify();
        case Qt::Key_F2:
            replaceOnType_ = false;
            deselect();
            setCursorPosition(static_cast<int>(displayText().size()));
            return true;
        default: return false;
    }
}

bool TDBGridInplaceEdit::handleChar(QKeyEvent*, int ch) {
    if (grid_->gridKeyChar(ch)) return true;
    if (isPrintableChar(ch) && !isValidFieldChar(grid_->columnField(grid_->loadedCol_), QChar(ch))) {
        errorBeep();
        return true;
    }
    if (ch == kCharTab) return true;
    if (ch == kCharEnter) {
        selectAll();
        return true;
    }
    // Typing changes the field: the record must be editable.
    if (isEditingChar(ch)) return !grid_->canEditModify();
    return false;
}

bool TDBGridInplaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(keyMods(ke) & (Qt::ControlModifier | Qt::AltModifier)) && grid_->hasOption(dgTabs)) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TDBGridInplaceEdit::keyPressEvent(QKeyEvent* e) {
    const QString sep = decimalKeyText(e, grid_->columnField(grid_->loadedCol_));
    if (sep.isEmpty()) {
        processKey(e);
        return;
    }
    // The decimal key of either keyboard types the decimal separator.
    QKeyEvent typed(e->type(), e->key(), e->modifiers(), sep, e->isAutoRepeat(), e->count());
    processKey(&typed);
    e->setAccepted(typed.isAccepted());
}

void TDBGridInplaceEdit::processKey(QKeyEvent* e) {
    if (isModifierKey(e->key())) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QPointer<TDBGridInplaceEdit> self(this);
    if (grid_->onKeyDown && grid_->onKeyDown(e)) {
        e->accept();
        return;
    }
    int key = e->key();
    Qt::KeyboardModifiers mods = keyMods(e);
    if (key == Qt::Key_Backtab) mods |= Qt::ShiftModifier;
    if (handleKeyDown(e, key, mods)) {
        e->accept();
        return;
    }
    int ch = keyChar(e);
    if (ch && handleChar(e, ch)) {
        e->accept();
        return;
    }
    if (!self) return;
    const bool replace = std::exchange(replaceOnType_, false);
    if (e->matches(QKeySequence::Paste) && pasteChecked(QGuiApplication::clipboard()->text())) {
        e->accept();
        return;
    }
    if (replace && isPrintableChar(ch)) selectAll();
    QLineEdit::keyPressEvent(e);
}

bool TDBGridInplaceEdit::pasteChecked(const QString& text) {
    if (!grid_->canEditModify()) return true;  // the cell cannot change
    try {
        checkPasteFits(this, grid_->columnField(grid_->loadedCol_), text);
        return pasteUnderMask(this, mask_, grid_->columnField(grid_->loadedCol_), text);
    } catch (...) {
        reportError(grid_, std::current_exception());
        return true;
    }
}

void TDBGridInplaceEdit::contextMenuEvent(QContextMenuEvent* e) {
    contextMenuPaste(this, e, [this](const QString& t) { return pasteChecked(t); });
}

void TDBGridInplaceEdit::dropEvent(QDropEvent* e) {
    if (!dropPasted(e, [this](const QString& t) { return pasteChecked(t); })) QLineEdit::dropEvent(e);
}

void TDBGridInplaceEdit::mousePressEvent(QMouseEvent* e) {
    replaceOnType_ = false;  // a click places the caret to edit in place
    QLineEdit::mousePressEvent(e);
}

void TDBGridInplaceEdit::mouseReleaseEvent(QMouseEvent* e) {
    if (!middleButtonPasted(e, [this](const QString& t) { return pasteChecked(t); })) QLineEdit::mouseReleaseEvent(e);
}

void TDBGridInplaceEdit::enterCell() {
    if (autoSelect_) selectAll();
}

void TDBGridInplaceEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (e->reason() == Qt::MouseFocusReason || e->reason() == Qt::PopupFocusReason ||
        e->reason() == Qt::ActiveWindowFocusReason)
        return;
    // Arriving by the keyboard in an amount cell: typing gives a new amount.
    if (grid_->replacesOnEntry(grid_->loadedCol_)) replaceOnType_ = true;
    if (autoSelect_)
        selectAll();
    else
        deselect();
}

void TDBGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    emit grid_->dblClick();
}

}  // namespace ui
