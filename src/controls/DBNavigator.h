// The record navigator of the data windows: a row of buttons over the
// data set behind a data source (first, prior, next, last, insert, delete,
// edit, post, cancel, refresh), each enabled only when its action makes sense.
#pragma once
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "controls/DataBound.h"
#include "data/DataSource.h"

class QToolButton;

namespace ui {

enum class NavBtn { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
inline constexpr int kNavButtonCount = 10;

class TDBNavigator : public QWidget, public ui::DataBound {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    void setDataSource(data::DataSource* s) override;
    data::DataSource* dataSource() const override;

    // The buttons shown, in the fixed order of NavBtn.
    void setVisibleButtons(const std::vector<NavBtn>& buttons);
    bool isButtonVisible(NavBtn b) const;
    // Tooltips of the visible buttons, in their order.
    void setHints(const QStringList& hints);
    // Asks "Stergeti inregistrarea?" before deleting, Enter answering No (on unless
    // switched off).
    bool confirmDelete = true;

    QToolButton* button(NavBtn b) const { return buttons_[static_cast<size_t>(b)]; }
    // What a click on the button does; errors are shown, silent aborts swallowed.
    void BtnClick(NavBtn b);

signals:
    // After a button's action has run.
    void clicked(ui::NavBtn b);

private:
    class Link;
    void updateButtons();

    std::array<QToolButton*, kNavButtonCount> buttons_{};
    std::unique_ptr<Link> link_;
};

}  // namespace ui
