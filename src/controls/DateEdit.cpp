#include "controls/DateEdit.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QToolButton>

#include "controls/PickDate.h"
#include "data/Clock.h"
#include "data/Format.h"

namespace ui {

void useFourDigitShortDate() { data::formatSettings().shortDateFormat = "dd/mm/yyyy"; }

QIcon calendarGlyph() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(160, 32, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 64, 64));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) p.drawRect(3 + c * 3, 7 + r * 2, 1, 1);
    p.end();
    return QIcon(pm);
}

// ================================================================ TDateEditBtn

TDateEditBtn::TDateEditBtn(QLineEdit* owner) : QWidget(owner), owner_(owner) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    resize(20, 25);
    button_ = new QToolButton(this);
    button_->setIcon(calendarGlyph());
    button_->setAutoRaise(true);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->resize(17, 17);
    button_->installEventFilter(this);
    connect(button_, &QToolButton::clicked, this, &TDateEditBtn::clicked);
}

int TDateEditBtn::placeInOwner() {
    int h = std::min(owner_->height(), 24);
    int w = std::max(18, h - 2);
    setGeometry(owner_->width() - w - 1, (owner_->height() - h) / 2, w, h);
    return w + 1;
}

void TDateEditBtn::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    button_->setGeometry(0, 0, std::max(18, width()), std::max(18, height()));
}

bool TDateEditBtn::eventFilter(QObject* o, QEvent* e) {
    if (o == button_ && e->type() == QEvent::MouseButtonPress) {
        // The click first takes the focus to the date edit, so that its text
        // is committed the usual way afterwards.
        if ((owner_->focusPolicy() & Qt::TabFocus) && owner_->isEnabled() && !owner_->hasFocus())
            owner_->setFocus(Qt::MouseFocusReason);
        else if ((focusPolicy() & Qt::TabFocus) && isEnabled() && !hasFocus())
            setFocus(Qt::MouseFocusReason);
    }
    return QWidget::eventFilter(o, e);
}

void TDateEditBtn::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space) {
        button_->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

// ================================================================ TDateEdit

TDateEdit::TDateEdit(QWidget* parent) : QLineEdit(parent) {
    useFourDigitShortDate();
    value_ = data::today();
    mask_ = EditMask::parse("!00/00/0000");
    setInputMask(mask_.qtMask);
    setText(qs(data::formatShortDate(value_)));
    button_ = new TDateEditBtn(this);
    connect(button_, &TDateEditBtn::clicked, this, &TDateEdit::dropDown);
}

bool TDateEdit::parseText(bool reportFailure) {
    QString t = displayText();
    t.remove(mask_.blank);
    if (auto d = data::parseDate(ss(t.trimmed()))) {
        value_ = *d;
        return true;
    }
    if (reportFailure) {
        errorBeep();
        setText(qs(data::formatShortDate(value_)));
        QPointer<TDateEdit> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self && self->isVisible()) self->setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
    }
    return false;
}

data::Date TDateEdit::value() {
    parseText(true);
    return value_;
}

void TDateEdit::setValue(const data::Date& d) {
    value_ = d;
    setText(qs(data::formatShortDate(d)));
}

void TDateEdit::dropDown() {
    parseText(false);
    data::Date d = value_;
    if (PickDate(this, d)) setValue(d);
}

void TDateEdit::keyPressEvent(QKeyEvent* e) {
    if (isModifierKey(e->key())) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (onKeyDown && onKeyDown(e)) {
        e->accept();
        return;
    }
    const int key = e->key();
    if (isEnterKey(key) && withCtrl(e)) {
        dropDown();
        e->accept();
        return;
    }
    const bool shift = keyMods(e) & Qt::ShiftModifier;
    const bool cutPaste = e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) ||
                          (key == Qt::Key_Insert && shift) || (key == Qt::Key_Delete && shift);
    if (cutPaste && (!editorEnabled_ || isReadOnly())) {
        e->accept();
        return;
    }
    if (!editorEnabled_) {
        int ch = keyChar(e);
        if (ch == kCharBackspace || isPrintableChar(ch) || key == Qt::Key_Delete) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TDateEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TDateEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
    parseText(true);
}

void TDateEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    setTextMargins(0, 0, button_->placeInOwner(), 0);
}

}  // namespace ui
