#include "controls/ControlSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <QWidget>

#include "shell/Messages.h"
#include "data/Errors.h"
#include "data/Format.h"

namespace ui {

// ---------------------------------------------------------------- keys

Qt::KeyboardModifiers keyMods(const QKeyEvent* e) {
    return e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

int keyChar(const QKeyEvent* e) {
    int key = e->key();
    if (isModifierKey(key)) return kCharNone;
    Qt::KeyboardModifiers m = keyMods(e);
    bool ctrl = m & Qt::ControlModifier, alt = m & Qt::AltModifier;
    if (isEnterKey(key)) return ctrl ? kCharCtrlEnter : kCharEnter;
    if (ctrl && !alt) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return ctrlChar('A') + (key - Qt::Key_A);
        return kCharNone;
    }
    if (alt) return kCharNone;
    switch (key) {
        case Qt::Key_Backspace: return kCharBackspace;
        case Qt::Key_Escape: return kCharEscape;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return kCharTab;
        default: break;
    }
    const QString t = e->text();
    if (t.isEmpty()) return kCharNone;
    return t.at(0).unicode();
}

// ---------------------------------------------------------------- focus

namespace {
// Reaches the window's protected tab-order walk (the same one Tab uses).
struct FocusAccess : QWidget {
    static bool move(QWidget* w, bool next) {
        bool (QWidget::*fn)(bool) = &FocusAccess::focusNextPrevChild;
        return (w->*fn)(next);
    }
};

void postFocusMove(QWidget* from, bool next) {
    if (!from) return;
    QWidget* win = from->window();
    if (!win) return;
    QPointer<QWidget> target(win);
    QMetaObject::invokeMethod(
        win,
        [target, next] {
            if (target && target->isVisible()) FocusAccess::move(target, next);
        },
        Qt::QueuedConnection);
}
}  // namespace

void focusNextControl(QWidget* from) { postFocusMove(from, true); }
void focusPriorControl(QWidget* from) { postFocusMove(from, false); }

// ---------------------------------------------------------------- actions

void reportError(QWidget* parent, std::exception_ptr p) {
    QWidget* owner = parent ? parent->window() : nullptr;
    try {
        std::rethrow_exception(p);
    } catch (const data::Abort&) {
    } catch (const std::exception& e) {
        Messages::error(QString::fromStdString(e.what()), owner);
    } catch (...) {
        Messages::error(QStringLiteral("Eroare necunoscuta"), owner);
    }
}

bool runDataAction(QWidget* parent, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        reportError(parent, std::current_exception());
        return false;
    }
}

void actionInsert(QWidget* w, data::DataSet* ds) {
    if (ds) runDataAction(w, [ds] { ds->insert(); });
}

void actionCancelOrDelete(QWidget* w, data::DataSet* ds) {
    if (!ds) return;
    runDataAction(w, [ds] {
        if (ds->state() == data::DataSetState::Insert)
            ds->cancel();
        else
            ds->del();
    });
}

void actionRefresh(QWidget* w, data::DataSet* ds) {
    if (ds) runDataAction(w, [ds] { ds->refresh(); });
}

void actionCancel(QWidget* w, data::DataSet* ds) {
    if (ds) runDataAction(w, [ds] { ds->cancel(); });
}

void actionPrior(QWidget* w, data::DataSet* ds) {
    if (ds) runDataAction(w, [ds] { ds->prior(); });
}

void actionNext(QWidget* w, data::DataSet* ds) {
    if (ds) runDataAction(w, [ds] { ds->next(); });
}

namespace {
int& beeps() {
    static int n = 0;
    return n;
}
}  // namespace

void errorBeep() {
    ++beeps();
    QApplication::beep();
}

int beepCount() { return beeps(); }

// ---------------------------------------------------------------- fields

bool isValidFieldChar(const data::Field* f, QChar c) {
    if (!f) return true;
    // an amount takes every key: what the amount parser refuses is named in
    // its message when the field is left, never dropped on the way
    if (f->amount) return true;
    switch (f->dataType()) {
        case data::FieldType::SmallInt:
        case data::FieldType::Integer:
        case data::FieldType::AutoInc: return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
        case data::FieldType::Float:
            return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('e') ||
                   c == QLatin1Char('E') || c == QLatin1Char(data::formatSettings().decimalSeparator);
        default: return true;
    }
}

QString decimalKeyText(const QKeyEvent* e, const data::Field* f) {
    if (!f || f->dataType() != data::FieldType::Float) return {};
    if (keyMods(e) & (Qt::ControlModifier | Qt::AltModifier)) return {};
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    // in an amount both ',' and '.' mean what the user meant by them: only
    // the keypad's decimal key stands for the decimal separator
    if (f->amount && !keypad) return {};
    const bool decimalKey = e->key() == Qt::Key_Period || (keypad && e->key() == Qt::Key_Comma);
    const QString t = e->text();
    if (!decimalKey || (t != QLatin1String(".") && t != QLatin1String(","))) return {};
    const QString sep(QLatin1Char(data::formatSettings().decimalSeparator));
    return t == sep ? QString() : sep;
}

int fieldMaxLength(const data::Field* f) {
    constexpr int kLineEditLimit = 32767;
    return f && f->dataType() == data::FieldType::String && f->size() > 0 ? f->size() : kLineEditLimit;
}

void checkPasteFits(const QLineEdit* edit, const data::Field* f, const QString& text) {
    if (!f || f->dataType() != data::FieldType::String || f->size() <= 0) return;
    QString result = edit->text();
    const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    result.replace(at, edit->hasSelectedText() ? edit->selectedText().size() : 0, text);
    // what the field would hold: trailing blanks are dropped, characters counted
    while (!result.isEmpty() && result.back() == QLatin1Char(' ')) result.chop(1);
    const auto length = static_cast<size_t>(result.toUcs4().size());
    if (length > static_cast<size_t>(f->size())) throw data::EngineError(data::textTooLongText(*f, length));
}

bool fieldAlignsRight(const data::Field* f) { return f && f->isNumeric(); }

EditMask EditMask::parse(const std::string& text) {
    EditMask r;
    const QString m = QString::fromStdString(text);
    if (m.isEmpty()) return r;
    // The mask part ends at the first unescaped ';'.
    int end = 0;
    while (end < m.size() && m[end] != QLatin1Char(';')) end += m[end] == QLatin1Char('\\') ? 2 : 1;
    end = std::min<int>(end, static_cast<int>(m.size()));
    const QStringList rest = m.mid(end + 1).split(QLatin1Char(';'));
    if (end < m.size()) {
        if (!rest.isEmpty() && rest[0].trimmed() == QLatin1String("0")) r.saveLiterals = false;
        if (rest.size() > 1 && !rest[1].isEmpty()) r.blank = rest[1][0];
    }
    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;");
    QString out;
    auto literal = [&](QChar c) {
        if (qtSpecial.contains(c)) out += QLatin1Char('\\');
        out += c;
        r.literals += c;
    };
    auto input = [&](char q) {
        out += QLatin1Char(q);
        r.literals += QChar(0);
    };
    for (int i = 0; i < end; ++i) {
        QChar c = m[i];
        switch (c.unicode()) {
            case '\\':
                if (i + 1 < end) literal(m[++i]);
                break;
            case '!': break;  // trimming of optional positions: nothing to do
            case '>':
                if (i + 1 < end && m[i + 1] == QLatin1Char('<'))
                    out += QLatin1Char('!'), ++i;
                else
                    out += QLatin1Char('>');
                break;
            case '<':
                if (i + 1 < end && m[i + 1] == QLatin1Char('>'))
                    out += QLatin1Char('!'), ++i;
                else
                    out += QLatin1Char('<');
                break;
            case 'L': input('A'); break;
            case 'l': input('a'); break;
            case 'A': input('N'); break;
            case 'a': input('n'); break;
            case 'C': input('X'); break;
            case 'c': input('x'); break;
            case '0': input('9'); break;
            case '9': input('0'); break;
            case '#': input('#'); break;
            case '/': literal(QLatin1Char(data::formatSettings().dateSeparator)); break;
            case '_': literal(QLatin1Char(' ')); break;
            default: literal(c); break;
        }
    }
    if (r.literals.isEmpty()) return EditMask{};
    r.qtMask = out + QLatin1Char(';') + r.blank;
    return r;
}

QString maskedText(const QLineEdit* edit, const EditMask& mask) {
    if (mask.empty() || edit->inputMask().isEmpty()) return edit->text();
    const QString t = edit->displayText();
    QString out;
    for (int i = 0; i < t.size(); ++i) {
        bool lit = i < mask.literals.size() && !mask.literals[i].isNull();
        if (lit) {
            if (mask.saveLiterals) out += t[i];
        } else {
            out += t[i] == mask.blank ? QLatin1Char(' ') : t[i];
        }
    }
    return out;
}

bool maskTakes(const EditMask& mask, const QString& text) {
    if (mask.empty()) return true;
    // The input classes of the line edit's mask (up to its blank character).
    const QString m = mask.qtMask.left(mask.qtMask.lastIndexOf(QLatin1Char(';')));
    QString classes;
    for (int i = 0; i < m.size(); ++i) {
        if (m[i] == QLatin1Char('\\'))
            ++i;  // an escaped literal
        else if (QStringLiteral("AaNnXx90Dd#HhBb").contains(m[i]) && !classes.contains(m[i]))
            classes += m[i];
    }
    auto fits = [&](QChar c) {
        if (c == QLatin1Char(' ') || c == mask.blank) return true;
        if (!c.isNull() && mask.literals.contains(c)) return true;
        for (QChar k : classes) {
            switch (k.toLatin1()) {
                case 'A':
                case 'a':
                    if (c.isLetter()) return true;
                    break;
                case 'N':
                case 'n':
                    if (c.isLetterOrNumber()) return true;
                    break;
                case 'X':
                case 'x':
                    if (c.isPrint()) return true;
                    break;
                case '9':
                case '0':
                    if (c.isDigit()) return true;
                    break;
                case 'D':
                case 'd':
                    if (c.isDigit() && c != QLatin1Char('0')) return true;
                    break;
                case '#':
                    if (c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-')) return true;
                    break;
                case 'H':
                case 'h':
                    if (QStringLiteral("0123456789abcdefABCDEF").contains(c)) return true;
                    break;
                case 'B':
                case 'b':
                    if (c == QLatin1Char('0') || c == QLatin1Char('1')) return true;
                    break;
                default: break;
            }
        }
        return false;
    };
    return std::all_of(text.begin(), text.end(), fits);
}

bool pasteUnderMask(QLineEdit* edit, const EditMask& mask, const data::Field* f, const QString& text) {
    if (mask.empty() || !f || maskTakes(mask, text)) return false;
    const data::Value v = f->parseText(ss(text));  // the field's conversion error
    edit->selectAll();
    edit->insert(qs(f->editTextOf(v)));
    return true;
}

void popupEditMenu(QLineEdit* edit, const QPoint& globalPos, const std::function<void()>& paste) {
    QMenu* menu = edit->createStandardContextMenu();
    if (!menu) return;
    // The menu's Paste is the action connected to the edit's paste (by name
    // or by pointer, depending on the Qt version).
    for (QAction* a : menu->actions()) {
        const bool byName = QObject::disconnect(a, SIGNAL(triggered()), edit, SLOT(paste()));
        const bool byPointer = QObject::disconnect(a, &QAction::triggered, edit, &QLineEdit::paste);
        if (byName || byPointer) QObject::connect(a, &QAction::triggered, edit, paste);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

// ---------------------------------------------------------------- field link

void FieldDataLink::setFieldName(const std::string& name) {
    fieldName_ = name;
    modified_ = false;
    resolveField();
}

void FieldDataLink::resolveField() {
    field_ = (active() && !fieldName_.empty()) ? dataSet()->findField(fieldName_) : nullptr;
    updateEditing();
    if (onActiveChange) onActiveChange();
    if (onDataChange) onDataChange();
}

bool FieldDataLink::canModify() const {
    if (readOnly_ || !field_ || !active()) return false;
    return dataSet()->canModify() && !field_->readOnly && !field_->calculated();
}

void FieldDataLink::setReadOnly(bool r) {
    readOnly_ = r;
    updateEditing();
    if (onEditingChange) onEditingChange();
}

void FieldDataLink::updateEditing() { editing_ = DataLink::editing() && canModify(); }

bool FieldDataLink::edit() {
    if (!canModify()) return false;
    if (!editing_) {
        runDataAction(control_, [this] { DataLink::edit(); });
        updateEditing();
    }
    return editing_;
}

void FieldDataLink::reset() { recordChanged(nullptr); }

void FieldDataLink::activeChanged() {
    modified_ = false;
    resolveField();
}

void FieldDataLink::dataSetChanged() {
    modified_ = false;
    updateEditing();
    if (onDataChange) onDataChange();
}

void FieldDataLink::recordChanged(data::Field* f) {
    if (f && f != field_) return;
    modified_ = false;
    if (onDataChange) onDataChange();
}

void FieldDataLink::editingChanged() {
    updateEditing();
    if (onEditingChange) onEditingChange();
}

void FieldDataLink::updateData() {
    if (!modified_) return;
    if (field_ && onUpdateData) onUpdateData();
    modified_ = false;
}

void FieldDataLink::detach() {
    onDataChange = nullptr;
    onEditingChange = nullptr;
    onUpdateData = nullptr;
    onActiveChange = nullptr;
    control_ = nullptr;
    setDataSource(nullptr);
}

void RecordDataLink::detach() {
    onActiveChanged = nullptr;
    onDataSetChanged = nullptr;
    onEditingChanged = nullptr;
    onUpdateData = nullptr;
    onCheckBrowseMode = nullptr;
    onScrolled = nullptr;
    onRecordChanged = nullptr;
    setDataSource(nullptr);
}

bool dispatchKey(QKeyEvent* e, const KeyDownHook& onKeyDown, const KeyPressHook& onKeyPress,
                 const KeyDownHook& ownKeyDown, const KeyPressHook& ownChar) {
    if (isModifierKey(e->key())) return false;
    if ((onKeyDown && onKeyDown(e)) || ownKeyDown(e)) {
        e->accept();
        return true;
    }
    int ch = keyChar(e);
    if (ch && ((onKeyPress && onKeyPress(e, ch)) || ownChar(e, ch))) {
        e->accept();
        return true;
    }
    return false;
}

}  // namespace ui

namespace ui {

void contextMenuPaste(QLineEdit* edit, QContextMenuEvent* e, const PasteCheck& check) {
    popupEditMenu(edit, e->globalPos(), [edit, check] {
        if (!check(QGuiApplication::clipboard()->text())) edit->paste();
    });
}

bool dropPasted(QDropEvent* e, const PasteCheck& check) {
    if (!e->mimeData()->hasText() || !check(e->mimeData()->text())) return false;
    e->acceptProposedAction();
    return true;
}

bool middleButtonPasted(QMouseEvent* e, const PasteCheck& check) {
    // the middle button pastes the selection where the system has one
    QClipboard* cb = QGuiApplication::clipboard();
    if (e->button() != Qt::MiddleButton || !cb->supportsSelection() || !check(cb->text(QClipboard::Selection)))
        return false;
    e->accept();
    return true;
}

}  // namespace ui
