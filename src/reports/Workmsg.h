// Telling the user what the program is doing: the main window's status line
// (StatusMessage) and the small work-message window (ShowWorkMessage).
#pragma once
#include <QString>

class QLabel;
class QWidget;

namespace ui {

// Makes `line` the target of StatusMessage (the main window does this at
// start-up; nullptr detaches it).
void setStatusLine(QLabel* line);
QLabel* statusLine();
// Writes the text into the status line and repaints it at once, so it shows
// during a long operation that does not return to the event loop.
void StatusMessage(const QString& text);

// Shows the work-message window owned by `owner` with `text`, or puts the new
// text into the window that already exists. The window stays until its owner
// is destroyed.
void ShowWorkMessage(QWidget* owner, const QString& text);
// The work-message window while it exists, else nullptr.
QWidget* workMessageWindow();

}  // namespace ui
