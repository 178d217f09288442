#include "controls/PickList.h"

#include <QDateTime>
#include <QKeyEvent>

#include "controls/ControlSupport.h"
#include "controls/TDBGridInplaceEdit.h"

namespace ui {

PickList::PickList(TDBGridInplaceEdit* editor) : QListWidget(editor), editor_(editor) {
    setWindowFlags(Qt::Popup);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PickList::choose() {
    QListWidgetItem* it = currentItem();
    QString text = it ? it->text() : QString();
    hide();
    if (it) editor_->listChosen(text);
}

void PickList::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    if (isModifierKey(key)) return;
    int ch = keyChar(e);
    if (key == Qt::Key_Escape) {
        search_.clear();
        hide();
        editor_->setFocus(Qt::PopupFocusReason);
        return;
    }
    if (isEnterKey(key)) {
        choose();
        return;
    }
    if (ch == kCharBackspace) {
        search_.clear();
        return;
    }
    if (isPrintableChar(ch)) {
        qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastKey_ > kSearchPauseMs) search_.clear();
        lastKey_ = now;
        if (search_.size() < kMaxSearchLetters) search_ += QChar(ch);
        for (int i = 0; i < count(); ++i)
            if (item(i)->text().startsWith(search_, Qt::CaseInsensitive)) {
                setCurrentRow(i);
                break;
            }
        return;
    }
    QListWidget::keyPressEvent(e);
}

void PickList::mouseReleaseEvent(QMouseEvent* e) {
    QListWidget::mouseReleaseEvent(e);
    if (QListWidgetItem* it = itemAt(e->position().toPoint())) {
        setCurrentItem(it);
        choose();
    }
}

void PickList::hideEvent(QHideEvent* e) {
    search_.clear();
    QListWidget::hideEvent(e);
}

}  // namespace ui
