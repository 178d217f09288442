#include "entry/DocumentLayout.h"

#include <QFocusEvent>

namespace entry {

namespace {
bool leavesWithinWindow(Qt::FocusReason r) { return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason; }
}  // namespace

void TDocEdit::focusInEvent(QFocusEvent* e) {
    const bool arriving = !hasDataFocus();
    ui::TDBEditNormal::focusInEvent(e);
    if (arriving && leavesWithinWindow(e->reason())) emit entered();
}

void TDocEdit::focusOutEvent(QFocusEvent* e) {
    const bool had = hasDataFocus();
    ui::TDBEditNormal::focusOutEvent(e);
    // the base keeps its data focus when the field refused the text
    if (had && !hasDataFocus() && leavesWithinWindow(e->reason())) emit exited();
}

TDBText::TDBText(QWidget* parent) : QLabel(parent) {
    link_.setControl(this);
    link_.onDataChange = [this] {
        data::Field* f = link_.field();
        setText(f ? ui::qs(f->displayText()) : QString());
    };
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

TDBText::~TDBText() {
    link_.onDataChange = nullptr;
    link_.setDataSource(nullptr);
}

}  // namespace entry
