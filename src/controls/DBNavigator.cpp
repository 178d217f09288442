#include "controls/DBNavigator.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "controls/ControlSupport.h"
#include "shell/Messages.h"

namespace ui {

class TDBNavigator::Link : public data::DataLink {
public:
    explicit Link(TDBNavigator* owner) : owner_(owner) {}
    void activeChanged() override { owner_->updateButtons(); }
    void dataSetChanged() override { owner_->updateButtons(); }
    void dataSetScrolled(int) override { owner_->updateButtons(); }
    void editingChanged() override { owner_->updateButtons(); }

private:
    TDBNavigator* owner_;
};

namespace {

// The button glyphs, drawn so that they look alike on every platform.
QIcon glyph(NavBtn b) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](double tipX, double baseX) {
        QPainterPath path;
        path.moveTo(tipX, 8);
        path.lineTo(baseX, 3);
        path.lineTo(baseX, 13);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (b) {
        case NavBtn::First:
            p.drawRect(QRectF(3, 3, 2, 10));
            triangle(5, 12);
            break;
        case NavBtn::Prior: triangle(4, 11); break;
        case NavBtn::Next: triangle(12, 5); break;
        case NavBtn::Last:
            triangle(11, 4);
            p.drawRect(QRectF(11, 3, 2, 10));
            break;
        case NavBtn::Insert:
            p.drawRect(QRectF(7, 2, 2, 12));
            p.drawRect(QRectF(2, 7, 12, 2));
            break;
        case NavBtn::Delete: p.drawRect(QRectF(2, 7, 12, 2)); break;
        case NavBtn::Edit: {
            QPainterPath path;
            path.moveTo(3, 13);
            path.lineTo(4, 10);
            path.lineTo(11, 3);
            path.lineTo(13, 5);
            path.lineTo(6, 12);
            path.closeSubpath();
            p.drawPath(path);
            break;
        }
        case NavBtn::Post:
            p.setPen(QPen(QColor(0, 110, 0), 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
            break;
        case NavBtn::Cancel:
            p.setPen(QPen(QColor(170, 0, 0), 2.2));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case NavBtn::Refresh: {
            p.setPen(QPen(ink, 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            QPainterPath head;
            head.moveTo(10, 1);
            head.lineTo(14, 4.5);
            head.lineTo(9, 6);
            head.closeSubpath();
            p.drawPath(head);
            break;
        }
    }
    return QIcon(pm);
}

const char* const kButtonNames[kNavButtonCount] = {"First",  "Prior", "Next", "Last",   "Insert",
                                                   "Delete", "Edit",  "Post", "Cancel", "Refresh"};

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent), link_(std::make_unique<Link>(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < kNavButtonCount; ++i) {
        const NavBtn b = static_cast<NavBtn>(i);
        auto* btn = new QToolButton(this);
        btn->setObjectName(QString::fromLatin1(kButtonNames[i]));
        btn->setIcon(glyph(b));
        btn->setIconSize(QSize(16, 16));
        btn->setFixedSize(25, 25);
        // the buttons never take the focus: the field being typed keeps it
        btn->setFocusPolicy(Qt::NoFocus);
        connect(btn, &QToolButton::clicked, this, [this, b] { BtnClick(b); });
        row->addWidget(btn);
        buttons_[static_cast<size_t>(i)] = btn;
    }
    setFocusPolicy(Qt::NoFocus);
    updateButtons();
}

TDBNavigator::~TDBNavigator() { link_->setDataSource(nullptr); }

void TDBNavigator::setDataSource(data::DataSource* s) {
    link_->setDataSource(s);
    updateButtons();
}

data::DataSource* TDBNavigator::dataSource() const { return link_->dataSource(); }

void TDBNavigator::setVisibleButtons(const std::vector<NavBtn>& shown) {
    for (int i = 0; i < kNavButtonCount; ++i) {
        bool on = false;
        for (NavBtn b : shown) on = on || static_cast<int>(b) == i;
        buttons_[static_cast<size_t>(i)]->setVisible(on);
    }
}

bool TDBNavigator::isButtonVisible(NavBtn b) const { return !button(b)->isHidden(); }

void TDBNavigator::setHints(const QStringList& hints) {
    int h = 0;
    for (QToolButton* btn : buttons_) {
        if (btn->isHidden()) continue;
        btn->setToolTip(h < hints.size() ? hints[h] : QString());
        ++h;
    }
}

void TDBNavigator::updateButtons() {
    data::DataSet* ds = link_->dataSet();
    const bool active = ds && ds->active();
    const bool canModify = active && ds->canModify();
    const bool editing = active && ds->editing();
    const bool up = active && !ds->bof();
    const bool down = active && !ds->eof();
    button(NavBtn::First)->setEnabled(up);
    button(NavBtn::Prior)->setEnabled(up);
    button(NavBtn::Next)->setEnabled(down);
    button(NavBtn::Last)->setEnabled(down);
    button(NavBtn::Insert)->setEnabled(canModify);
    button(NavBtn::Delete)->setEnabled(canModify && !(ds->bof() && ds->eof()));
    button(NavBtn::Edit)->setEnabled(canModify && !editing);
    button(NavBtn::Post)->setEnabled(canModify && editing);
    button(NavBtn::Cancel)->setEnabled(canModify && editing);
    button(NavBtn::Refresh)->setEnabled(active);
}

void TDBNavigator::BtnClick(NavBtn b) {
    data::DataSet* ds = link_->dataSet();
    if (!ds || !ds->active()) return;
    ui::runDataAction(this, [&] {
        switch (b) {
            case NavBtn::First: ds->first(); break;
            case NavBtn::Prior: ds->prior(); break;
            case NavBtn::Next: ds->next(); break;
            case NavBtn::Last: ds->last(); break;
            case NavBtn::Insert: ds->insert(); break;
            case NavBtn::Delete:
                if (!confirmDelete || ui::Messages::askDestructive(QStringLiteral("Stergeti inregistrarea?"),
                                                                   ui::MsgType::Confirmation, window()))
                    ds->del();
                break;
            case NavBtn::Edit: ds->edit(); break;
            case NavBtn::Post: ds->post(); break;
            case NavBtn::Cancel: ds->cancel(); break;
            case NavBtn::Refresh: ds->refresh(); break;
        }
    });
    updateButtons();
    emit clicked(b);
}

}  // namespace ui
