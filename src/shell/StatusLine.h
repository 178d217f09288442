// The main window's status line: every "what the program is doing" text goes
// through StatusMessage.
#pragma once
#include <QString>
#include <functional>

class QLabel;

namespace ui {

// Makes `line` the target of StatusMessage (the main window does this at
// start-up; nullptr detaches it).
void setStatusLine(QLabel* line);
QLabel* statusLine();

// Writes the text into the status line and repaints it at once, so it shows
// during a long operation that does not return to the event loop.
void StatusMessage(const QString& text);

// Tests observe the texts through this (nullptr to stop).
using StatusObserver = std::function<void(const QString& text)>;
void setStatusObserver(StatusObserver observer);

}  // namespace ui
