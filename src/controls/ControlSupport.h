// Pieces shared by the data-aware controls: the field data link, posted focus
// moves, the guarded data-set actions, edit masks and key decoding.
#pragma once
#include <QChar>
#include <QKeyEvent>
#include <QString>
#include <functional>
#include <string>

#include "data/DataSource.h"

class QContextMenuEvent;
class QDropEvent;
class QLineEdit;
class QMouseEvent;
class QWidget;

namespace ui {

inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline std::string ss(const QString& s) { return s.toStdString(); }

// ---------------------------------------------------------------- keys

// Shift, Ctrl and Alt of a key event (the keypad flag is not a modifier here).
Qt::KeyboardModifiers keyMods(const QKeyEvent* e);
inline bool noMods(const QKeyEvent* e) { return keyMods(e) == Qt::NoModifier; }
inline bool ctrlAlone(const QKeyEvent* e) { return keyMods(e) == Qt::ControlModifier; }
inline bool withCtrl(const QKeyEvent* e) { return keyMods(e) & Qt::ControlModifier; }
inline bool isEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
// A press of Shift, Ctrl, Alt or Meta alone.
bool isModifierKey(int key);

// The characters keys produce, as a classic keyboard driver delivers them.
constexpr int kCharNone = 0;
constexpr int kCharBackspace = 8;
constexpr int kCharTab = 9;
constexpr int kCharCtrlEnter = 10;  // line feed: Enter with Ctrl
constexpr int kCharEnter = 13;      // carriage return
constexpr int kCharEscape = 27;
constexpr int kCharFirstPrintable = 32;  // space
constexpr int kCharDelete = 127;
// Ctrl+letter gives the letter's control code, Ctrl+A 1 to Ctrl+Z 26.
constexpr int ctrlChar(char upperLetter) { return upperLetter - 'A' + 1; }
constexpr int kCharCtrlR = ctrlChar('R');  // 18: refresh
constexpr int kCharCtrlU = ctrlChar('U');  // 21: cancel
constexpr int kCharCtrlV = ctrlChar('V');  // 22: paste
constexpr int kCharCtrlX = ctrlChar('X');  // 24: cut

// The character a key produces (see the constants above); kCharNone when
// the key produces none.
int keyChar(const QKeyEvent* e);
inline bool isPrintableChar(int c) { return c >= kCharFirstPrintable && c != kCharDelete; }
// A character that changes an edit's text: printable, Backspace, paste or cut.
inline bool isEditingChar(int c) {
    return isPrintableChar(c) || c == kCharBackspace || c == kCharCtrlV || c == kCharCtrlX;
}

// Key hooks the windows set: onKeyDown runs before the control's own key
// handling, onKeyPress at the character stage (after the control's key-down
// handling, before the base handling of the character). Return true to consume.
using KeyDownHook = std::function<bool(QKeyEvent*)>;
using KeyPressHook = std::function<bool(QKeyEvent*, int ch)>;

// The key dispatch every data control shares: the window's hooks first, then
// the control's own key table. True when the key was consumed (and accepted);
// modifier keys alone never are.
bool dispatchKey(QKeyEvent* e, const KeyDownHook& onKeyDown, const KeyPressHook& onKeyPress,
                 const KeyDownHook& ownKeyDown, const KeyPressHook& ownChar);

// ---------------------------------------------------------------- focus

// Posts a request to the window holding `from` to move the focus to the next
// (or previous) tab stop, wrapping at the end of the tab order. It runs after
// the current event has been handled completely.
void focusNextControl(QWidget* from);
void focusPriorControl(QWidget* from);

// ---------------------------------------------------------------- actions

// Runs a data-set operation for a control: a silent abort is swallowed, any
// other error is shown in an error box. Returns true when it completed.
bool runDataAction(QWidget* parent, const std::function<void()>& fn);
// Shows an error box for an exception caught elsewhere (silent for aborts).
void reportError(QWidget* parent, std::exception_ptr e);

// The record operations behind the keyboard conventions.
void actionInsert(QWidget* w, data::DataSet* ds);
// Ctrl+Delete: cancels a record being inserted, otherwise deletes the current one.
void actionCancelOrDelete(QWidget* w, data::DataSet* ds);
void actionRefresh(QWidget* w, data::DataSet* ds);
void actionCancel(QWidget* w, data::DataSet* ds);
void actionPrior(QWidget* w, data::DataSet* ds);
void actionNext(QWidget* w, data::DataSet* ds);

// The error beep; counted so that tests can see it.
void errorBeep();
int beepCount();

// ---------------------------------------------------------------- fields

// Whether a typed character can belong to the field's text (numbers only
// take digits, signs and separators; an amount takes every character, its
// parser names what it refuses).
bool isValidFieldChar(const data::Field* f, QChar c);
// In a field with decimals the decimal key types the program's decimal
// separator, whatever the keyboard gives: the point of the main keyboard, the
// point or comma of the keypad. Returns the separator as the text the key
// should type, or an empty text when the key types its own. In an amount
// only the keypad's key does: ',' and '.' both reach the amount parser.
QString decimalKeyText(const QKeyEvent* e, const data::Field* f);
// The characters an edit of the field takes: a text field's size (typing
// stops there), otherwise the line edit's own limit.
int fieldMaxLength(const data::Field* f);
// Pasting `text` into the edit (over its selection) would give the field a
// text longer than it holds: raises the field's refusal, naming the field
// and its size, and nothing is pasted. A line edit would otherwise keep the
// pasted text's beginning without a word.
void checkPasteFits(const QLineEdit* edit, const data::Field* f, const QString& text);
// Numbers are shown right-aligned.
bool fieldAlignsRight(const data::Field* f);

// An edit mask in the program's notation ("!99/99/0000;1;_") translated to
// the line edit's input mask, with the knowledge needed to read the text back.
struct EditMask {
    QString qtMask;  // for QLineEdit::setInputMask ("" = none)
    bool saveLiterals = true;
    QChar blank = QLatin1Char('_');
    QString literals;  // per position: the literal char, or '\0' for an input position

    static EditMask parse(const std::string& mask);
    bool empty() const { return qtMask.isEmpty(); }
};
// The text of a masked line edit as the field should receive it: blanks as
// spaces, literals dropped when the mask does not keep them.
QString maskedText(const QLineEdit* edit, const EditMask& mask);
// Whether every character of `text` can stand in the mask, as one of its
// literals or at one of its input positions. A masked line edit silently
// drops the others ("20x6" pasted under "0000" reads 206).
bool maskTakes(const EditMask& mask, const QString& text);
// Text pasted or dropped into a line edit under a field's edit mask. Text the
// mask takes whole is left to the edit's own paste (returns false). Other
// text is converted by the field instead: a text the field refuses raises
// the field's conversion error and nothing changes; a text it accepts
// replaces the edit's text as the field's edit text of the value (returns true).
bool pasteUnderMask(QLineEdit* edit, const EditMask& mask, const data::Field* f, const QString& text);
// Opens the line edit's standard context menu, its Paste running `paste`
// instead of the edit's own.
void popupEditMenu(QLineEdit* edit, const QPoint& globalPos, const std::function<void()>& paste);

// The paste routes a key press does not take: the context menu's paste, a
// drop and the middle button. `check` gets the text and returns true when it
// dealt with it; otherwise the edit's own paste runs. The two functions
// return true when the event was dealt with.
using PasteCheck = std::function<bool(const QString& text)>;
void contextMenuPaste(QLineEdit* edit, QContextMenuEvent* e, const PasteCheck& check);
bool dropPasted(QDropEvent* e, const PasteCheck& check);
bool middleButtonPasted(QMouseEvent* e, const PasteCheck& check);

// ---------------------------------------------------------------- field link

// Binds a control to one field of the data set behind a data source and
// tells the control when to show new data, when the record's editing state
// changes and when to write its pending text into the field.
class FieldDataLink : public data::DataLink {
public:
    std::function<void()> onDataChange;     // show the field's current value
    std::function<void()> onEditingChange;  // read-only state may have changed
    std::function<void()> onUpdateData;     // write the control's text into the field
    std::function<void()> onActiveChange;   // field binding (re)established

    // The control, parent of any error box the link shows.
    void setControl(QWidget* w) { control_ = w; }
    void setFieldName(const std::string& name);
    const std::string& fieldName() const { return fieldName_; }
    data::Field* field() const { return field_; }

    // The control can change the field: active data set that can be modified,
    // field present and writable, control not read-only.
    bool canModify() const;
    void setReadOnly(bool r);
    bool readOnly() const { return readOnly_; }
    // Record being edited and field modifiable.
    bool editing() const { return editing_; }
    // Puts the record into edit mode (auto-edit); true when the control may now type.
    bool edit();
    // The control's text differs from the field.
    void modified() { modified_ = true; }
    bool isModified() const { return modified_; }
    // Throws away the control's pending text and shows the field again.
    void reset();
    // Writes the pending text into the field (may throw the field's error).
    void updateRecord() { updateData(); }
    // Drops the callbacks, then the data source (the control is going away).
    void detach();

    void activeChanged() override;
    void dataSetChanged() override;
    void dataSetScrolled(int) override { dataSetChanged(); }
    void recordChanged(data::Field* f) override;
    void editingChanged() override;
    void updateData() override;
    void layoutChanged() override { activeChanged(); }

private:
    void resolveField();
    void updateEditing();
    std::string fieldName_;
    QWidget* control_ = nullptr;
    data::Field* field_ = nullptr;
    bool readOnly_ = false, editing_ = false, modified_ = false;
};

// Binds a record-level control (grid, position bar) to a data source: every
// notification calls the control back; a change of the data set's fields
// counts as a re-activation.
class RecordDataLink : public data::CallbackDataLink {
public:
    void layoutChanged() override { activeChanged(); }
    // Drops the callbacks, then the data source (the control is going away).
    void detach();
};

}  // namespace ui
