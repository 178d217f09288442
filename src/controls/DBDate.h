// The data-aware date edit: the data-aware edit bound to a date field, with
// a calendar button and the keyboard conventions of the data windows
// (Ctrl+Enter or Ctrl+Down opens the calendar).
#pragma once
#include "controls/DBControls.h"
#include "controls/DateEdit.h"

namespace ui {

class TDBDateEdit : public DBEdit {
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget* parent = nullptr);

    // Binding to a field that is not a date field is refused with an error
    // box ("<name>" is not a date field!) and not made.
    void setDataSource(data::DataSource* s) override;
    void setDataField(const QString& name) override;
    TDateEditBtn* dateButton() const { return button_; }

    // Opens the calendar on the field's date (today when empty); a confirmed
    // day puts the record into edit mode and becomes the control's text.
    void dropDown();

protected:
    bool handleKeyDown(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    bool acceptsBinding(data::DataSource* s, const std::string& field);

    TDateEditBtn* button_;
};

}  // namespace ui
