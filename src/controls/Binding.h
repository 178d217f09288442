// The one binding helper of the windows. A window's layout is a Qt Designer
// `.ui` file; its data controls carry the dynamic property "dataField" (the
// field they show) and, when they do not show the window's main data source,
// "dataSource" (the name of one of the window's sources). A lookup combo names
// its list source, key field and list field in "listSource", "keyField" and
// "listField". A name or kind that does not match throws LayoutError naming
// the control, so a broken layout fails the first time the window is built.
#pragma once
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <stdexcept>
#include <type_traits>
#include <typeinfo>

namespace data {
class DataSource;
}

namespace ui {

class LayoutError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The widget named `name` inside `form`, whatever its kind; throws when none.
QWidget* namedWidget(QWidget* form, const char* name);
[[noreturn]] void throwWrongKind(QWidget* w, const char* expected);

// The control named `name` inside `form`, of kind T; throws LayoutError
// naming the control when there is none or it is of another kind.
template <class T>
T* child(QWidget* form, const char* name) {
    QWidget* w = namedWidget(form, name);
    if (auto* t = dynamic_cast<T*>(w)) return t;
    throwWrongKind(w, typeid(T).name());
}

struct NamedSource {
    const char* name;  // "" is the window's main source
    data::DataSource* source;
};

// Binds every control of `form` that carries a "dataField" or "dataSource"
// property to its source. Throws LayoutError when such a control is not a
// data control, names an unknown source, or names a field but shows none.
void bindControls(QWidget* form, std::initializer_list<NamedSource> sources);

// Once the data sets are open: every bound field control shows a field its
// data set has. Throws LayoutError naming the control and the field.
void checkBindings(QWidget* form);

namespace detail {
// The kind of the top widget a layout's setupUi builds on (QWidget, QDialog...).
template <class Ui, class Top>
Top* setupUiTop(void (Ui::*)(Top*));
}  // namespace detail

// Runs a layout's setupUi on `form` (a `.ui` file's class Ui_X). Windows that
// share a base keep this function in their data. A layout drawn on a QDialog
// needs a QDialog; another kind of form throws LayoutError.
using SetupForm = void (*)(QWidget* form);
template <class Ui>
void setupForm(QWidget* form) {
    using Top = std::remove_pointer_t<decltype(detail::setupUiTop(&Ui::setupUi))>;
    auto* top = dynamic_cast<Top*>(form);
    if (!top) throwWrongKind(form, typeid(Top).name());
    Ui u;
    u.setupUi(top);
}

}  // namespace ui
