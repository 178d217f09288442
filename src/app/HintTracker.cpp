#include "app/HintTracker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace app {

HintTracker::HintTracker(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

HintTracker::~HintTracker() {
    if (qApp) qApp->removeEventFilter(this);
}

QString HintTracker::hintOf(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (!w->statusTip().isEmpty()) return w->statusTip();
        if (!w->toolTip().isEmpty()) return w->toolTip();
        if (w->isWindow()) break;
    }
    return {};
}

bool HintTracker::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Enter) {
        setHint(hintOf(w));
    } else if (event->type() == QEvent::Leave && !w->isWindow()) {
        // Leaving a control for its parent brings no Enter for the parent;
        // when the pointer enters a sibling instead, its Enter follows.
        setHint(hintOf(w->parentWidget()));
    }
    return false;
}

void HintTracker::setHint(const QString& hint) {
    if (hint == current_) return;
    current_ = hint;
    emit hintChanged(hint);
}

}  // namespace app
