// The small work-message window (ShowWorkMessage) that tells the user what a
// long operation is doing. The status line is shell/StatusLine.h.
#pragma once
#include <QString>

class QWidget;

namespace ui {

// Shows the work-message window owned by `owner` with `text`, or puts the new
// text into the window that already exists. The window is never above the
// other windows; it stays until its owner is destroyed, or, made before its
// owner was on the screen (start-up), until the owner shows.
void ShowWorkMessage(QWidget* owner, const QString& text);
// The work-message window while it exists, else nullptr.
QWidget* workMessageWindow();

}  // namespace ui
