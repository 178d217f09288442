#include "app/Shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace app {

namespace {

const char* const kDisabledProperty = "cvItemDisabled";

QAction* findAction(const QList<QAction*>& actions, const QKeySequence& key) {
    for (QAction* a : actions) {
        if (a->isSeparator() || !itemEnabled(a)) continue;
        if (QMenu* m = a->menu()) {
            if (QAction* found = findAction(m->actions(), key)) return found;
            continue;
        }
        for (const QKeySequence& s : a->shortcuts())
            if (s == key) return a;
    }
    return nullptr;
}

bool isModifierKey(int key) {
    return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == 0 || key == Qt::Key_unknown;
}

}  // namespace

void setItemDisabled(QAction* item, bool disabled) {
    item->setProperty(kDisabledProperty, disabled);
    item->setEnabled(!disabled);
}

bool itemEnabled(const QAction* item) {
    if (item->property(kDisabledProperty).toBool()) return false;
    return item->isVisible() ? item->isEnabled() : true;
}

ShortcutRouter::ShortcutRouter(QMenuBar* menuBar, QObject* parent) : QObject(parent), menuBar_(menuBar) {
    qApp->installEventFilter(this);
}

ShortcutRouter::~ShortcutRouter() {
    if (qApp) qApp->removeEventFilter(this);
}

QAction* ShortcutRouter::actionFor(const QKeyEvent& key) const {
    if (!menuBar_ || isModifierKey(key.key())) return nullptr;
    const Qt::KeyboardModifiers mods =
        key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QKeySequence pressed(QKeyCombination(mods, static_cast<Qt::Key>(key.key())));
    return findAction(menuBar_->actions(), pressed);
}

void ShortcutRouter::openMenuBar() {
    QWidget* main = menuBar_->window();
    main->activateWindow();
    for (QAction* a : menuBar_->actions())
        if (a->isVisible() && a->isEnabled()) return menuBar_->setActiveAction(a);
}

bool ShortcutRouter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    // Key events reach the window object and then the widget; act once, at the widget.
    if (!watched->isWidgetType()) return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier && menuBar_) {
        // F10 opens the main menu from every window, as on the desktop
        if (type == QEvent::KeyPress) openMenuBar();
        event->accept();
        return true;
    }
    QAction* action = actionFor(*key);
    if (!action) return false;
    if (type == QEvent::ShortcutOverride) {
        // Claim the key, so neither the control nor another shortcut takes it;
        // the key press that follows runs the command.
        event->accept();
        return true;
    }
    action->trigger();
    return true;
}

}  // namespace app
