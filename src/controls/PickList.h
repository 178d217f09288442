// The drop-down list of a pick-list column of the grid's cell editor.
#pragma once
#include <QListWidget>

namespace ui {

class TDBGridInplaceEdit;

// The drop-down list of a pick-list column, with type-ahead: letters typed
// within 2 seconds of each other (at most 32) select the first item that
// starts with them.
class PickList : public QListWidget {
    Q_OBJECT
public:
    explicit PickList(TDBGridInplaceEdit* editor);
    const QString& searchText() const { return search_; }

    // A letter typed later than this after the previous one starts a new search.
    static constexpr qint64 kSearchPauseMs = 2000;
    static constexpr int kMaxSearchLetters = 32;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void choose();
    TDBGridInplaceEdit* editor_;
    QString search_;
    qint64 lastKey_ = 0;
};

}  // namespace ui
