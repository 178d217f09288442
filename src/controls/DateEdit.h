// The unbound date edit with its calendar button. Its Value is the last
// valid date typed or chosen; text that is not a valid date is refused with
// a beep and replaced by the last valid date.
#pragma once
#include <QLineEdit>
#include <functional>

#include "controls/ControlSupport.h"
#include "data/Value.h"

class QToolButton;

namespace ui {

// The calendar button placed inside a date edit, at its right edge.
class TDateEditBtn : public QWidget {
    Q_OBJECT
public:
    explicit TDateEditBtn(QLineEdit* owner);
    QToolButton* button() const { return button_; }
    // Places the button at the owner's right edge, as tall as the owner (at
    // most 24 pixels); returns the width it takes.
    int placeInOwner();

signals:
    void clicked();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QLineEdit* owner_;
    QToolButton* button_;
};

// The calendar glyph of the date buttons.
QIcon calendarGlyph();

// Sets the program's short date format to day, month, four-digit year with
// the system's date separator (done by the first date edit created).
void useFourDigitShortDate();

class TDateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDateEdit(QWidget* parent = nullptr);

    // Reading parses the text; text that is not a date beeps, is replaced by
    // the last valid date and keeps the focus.
    data::Date value();
    void setValue(const data::Date& d);
    bool editorEnabled() const { return editorEnabled_; }
    void setEditorEnabled(bool e) { editorEnabled_ = e; }
    bool autoSelect() const { return autoSelect_; }
    void setAutoSelect(bool a) { autoSelect_ = a; }
    TDateEditBtn* dateButton() const { return button_; }

    // Opens the calendar on the current value; a confirmed day becomes the value.
    void dropDown();

    KeyDownHook onKeyDown;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    bool parseText(bool reportFailure);

    data::Date value_;
    EditMask mask_;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
    TDateEditBtn* button_;
};

}  // namespace ui
