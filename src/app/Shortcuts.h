// Main-menu shortcuts for every window of the program: a shortcut key runs its
// menu command from any modeless window and wins over the focused control's
// own use of the key (Ctrl+C opens the payments window instead of copying).
// Hidden items still answer their keys; disabled items do not. F10 opens
// the main menu. While a modal
// dialog (or a popup menu) is open the key goes to it as usual.
#pragma once
#include <QKeySequence>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QMenuBar;

namespace app {

// The toolkit switches a hidden item off as well, but a hidden item still
// answers its key; whether an item is disabled is therefore kept apart.
void setItemDisabled(QAction* item, bool disabled);
// Whether the item's command may run (hidden items included).
bool itemEnabled(const QAction* item);

class ShortcutRouter : public QObject {
public:
    // Watches the application's key events for the actions of `menuBar`.
    explicit ShortcutRouter(QMenuBar* menuBar, QObject* parent = nullptr);
    ~ShortcutRouter() override;

    // The enabled menu action whose shortcut is this key, hidden ones included.
    QAction* actionFor(const QKeyEvent& key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Activates the menu bar's window and opens its first menu.
    void openMenuBar();

    QPointer<QMenuBar> menuBar_;
};

}  // namespace app
