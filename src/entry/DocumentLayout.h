// The layouts of the document windows, written as data (group boxes, their
// captions and controls in tab order, the fields the controls show, their
// tooltips), and the builder that turns a layout into widgets. Also the two
// small controls the document windows need beside the data controls: an edit
// that reports entering and leaving it, and a read-only field display.
#pragma once
#include <QLabel>
#include <QString>
#include <vector>

#include "controls/ControlSupport.h"
#include "controls/DBGNorm.h"

namespace entry {

// The keyboard-driven edit with notifications of the focus arriving and of
// the focus leaving after the text was written into the field (a refused
// text keeps the focus and sends nothing). Switching to another window is
// neither.
class TDocEdit : public ui::TDBEditNormal {
    Q_OBJECT
public:
    explicit TDocEdit(QWidget* parent = nullptr) : ui::TDBEditNormal(parent) {}

signals:
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

// A read-only display of one field's text.
class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    ~TDBText() override;
    void setDataSource(data::DataSource* s) { link_.setDataSource(s); }
    void setDataField(const QString& name) { link_.setFieldName(ui::ss(name)); }

private:
    ui::FieldDataLink link_;
};

enum class CtlKind {
    Pos,        // record-position bar (ui::TDBPos)
    Edit,       // TDocEdit
    Date,       // ui::TDBDateEdit
    Lookup,     // ui::TDBLookupComboBoxNormal
    Combo,      // ui::TDBComboNormal with fixed items
    Text,       // TDBText
    Balance,    // a right-aligned value label
    Navigator,  // TDBNavigator
    Button,     // QPushButton
};

struct CtlSpec {
    CtlKind kind;
    const char* name;
    const char* caption = nullptr;  // the label before the control; a button's text
    const char* field = nullptr;
    const char* hint = nullptr;     // tooltip
    const char* items = nullptr;    // combo items separated by '|'
};

// A group box (no box when the caption is null) with its controls in tab order.
struct GroupSpec {
    const char* caption;
    std::vector<CtlSpec> controls;
};

struct FormLayout {
    const char* caption;
    std::vector<GroupSpec> groups;
};

// Builds the layout's widgets into `form` (object names as in the layout,
// caption labels named after their control with "Lbl" appended unless the
// control is a balance label), and chains the tab order in layout order.
void buildForm(QWidget* form, const FormLayout& layout);

}  // namespace entry
