#include "shell/WindowSlots.h"

#include <QApplication>
#include <QScopeGuard>

#include "shell/Messages.h"
#include "data/Errors.h"

namespace shell {

void bringToFront(QWidget* w) {
    if (w->isMinimized()) w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

QWidget* openSingleWindow(QPointer<QWidget>& slot, QWidget* owner, const std::function<QWidget*(QWidget*)>& create) {
    // A window that has been closed is hidden until its deferred deletion;
    // it no longer counts as open.
    if (slot && !slot->isHidden()) {
        bringToFront(slot);
        return slot;
    }
    QWidget* w = create(owner);
    if (!w->isWindow()) w->setWindowFlags(w->windowFlags() | Qt::Window);
    w->setAttribute(Qt::WA_DeleteOnClose);
    slot = w;
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

bool closeOwnedWindows(QWidget* owner) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != owner && w->parentWidget() == owner && w->isVisible() && !w->close()) return false;
    return true;
}

bool runModalDialog(QWidget* owner, const QString& accessError, const ModalHooks& hooks) {
    QPointer<QDialog> dlg(hooks.create(owner));
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    // The dialog is freed however the command ends.
    const auto freeDialog = qScopeGuard([&dlg] { delete dlg.data(); });

    std::vector<data::DataSet*> tables = hooks.tables(*dlg);
    try {
        if (hooks.openTables)
            hooks.openTables(*dlg);
        else
            for (data::DataSet* t : tables) t->open();
    } catch (const data::EngineError& e) {
        ui::Messages::error(accessError + "\n" + QString::fromUtf8(e.what()) + "!");
        return false;
    }
    const bool ok = dlg->exec() == QDialog::Accepted;
    if (!dlg) return ok;
    for (data::DataSet* t : tables) {
        try {
            if (t->editing()) {
                if (ok)
                    t->post();
                else
                    t->cancel();
            }
        } catch (...) {
        }
        try {
            t->close();
        } catch (...) {
        }
    }
    return ok;
}

}  // namespace shell
