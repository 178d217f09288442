#include "shell/StatusLine.h"

#include <QLabel>
#include <QPointer>

namespace ui {

namespace {
QPointer<QLabel>& statusTarget() {
    static QPointer<QLabel> p;
    return p;
}
StatusObserver& observer() {
    static StatusObserver o;
    return o;
}
}  // namespace

void setStatusLine(QLabel* line) { statusTarget() = line; }

QLabel* statusLine() { return statusTarget(); }

void setStatusObserver(StatusObserver o) { observer() = std::move(o); }

void StatusMessage(const QString& text) {
    if (observer()) observer()(text);
    QLabel* line = statusTarget();
    if (!line) return;
    line->setText(text);
    if (line->isVisible()) line->repaint();
}

}  // namespace ui
