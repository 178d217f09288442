// The two ways the program opens its windows.
//
// OpenSingleWindow: one instance per window kind. Opening again brings the
// open window to the front (restoring it when minimised); closing it frees it
// and empties its slot, so the next opening creates a fresh window. Windows are
// separate top-level windows owned by the given owner (the main window).
//
//     OpenSingleWindow<TVenituriFrm>(owner);
//
// RunModalDialog: a modal dialog over tables. The dialog lists its tables in
// `std::vector<data::DataSet*> tables()` (and may open them itself in
// `void openTables()`; otherwise they are opened in the listed order). When the
// engine refuses, an error box shows the dialog's access-error text, a line
// break, the engine's message and "!", and the command ends. After OK every
// pending edit is posted and the tables closed, errors ignored. The dialog is
// freed in every case.
//
//     RunModalDialog<TFirmDataDlg>(owner, "Eroare de acces la baza de date!");
#pragma once
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "data/DataSet.h"

namespace shell {

// Shows an existing window again: restored when minimised, raised, activated.
void bringToFront(QWidget* w);

// The slot-based core of OpenSingleWindow: `create` makes the window with the
// owner as parent.
QWidget* openSingleWindow(QPointer<QWidget>& slot, QWidget* owner, const std::function<QWidget*(QWidget*)>& create);

// The single slot of window kind W.
template <class W>
QPointer<QWidget>& windowSlot() {
    static QPointer<QWidget> slot;
    return slot;
}

template <class W, class... Args>
W* OpenSingleWindow(QWidget* owner, Args&&... args) {
    return static_cast<W*>(openSingleWindow(
        windowSlot<W>(), owner, [&](QWidget* o) -> QWidget* { return new W(o, std::forward<Args>(args)...); }));
}

// Closes the visible windows `owner` owns, each asking first about changes
// it has not stored; false when one of them stays open.
bool closeOwnedWindows(QWidget* owner);

// The open instance of window kind W, if any.
template <class W>
W* openWindow() {
    QWidget* w = windowSlot<W>();
    return w && !w->isHidden() ? static_cast<W*>(w) : nullptr;
}

struct ModalHooks {
    std::function<QDialog*(QWidget*)> create;
    std::function<void(QDialog&)> openTables;
    std::function<std::vector<data::DataSet*>(QDialog&)> tables;
};

// The core of RunModalDialog; true when the dialog closed with OK.
bool runModalDialog(QWidget* owner, const QString& accessError, const ModalHooks& hooks);

template <class D, class... Args>
bool RunModalDialog(QWidget* owner, const QString& accessError, Args&&... args) {
    ModalHooks hooks;
    hooks.create = [&](QWidget* o) -> QDialog* { return new D(o, std::forward<Args>(args)...); };
    hooks.tables = [](QDialog& d) { return static_cast<D&>(d).tables(); };
    if constexpr (requires(D & d) { d.openTables(); })
        hooks.openTables = [](QDialog& d) { static_cast<D&>(d).openTables(); };
    return runModalDialog(owner, accessError, hooks);
}

}  // namespace shell
