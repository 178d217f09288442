#include "entry/DocumentLayout.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/DBDate.h"
#include "controls/DBPos.h"
#include "entry/DBNavigator.h"

namespace entry {

namespace {
bool leavesWithinWindow(Qt::FocusReason r) {
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}
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

namespace {

QWidget* makeControl(const CtlSpec& c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c.kind) {
        case CtlKind::Pos: {
            auto* pos = new ui::TDBPos(parent);
            pos->setKind(ui::gkHorizontalBar);
            const QPalette pal = parent->palette();
            pos->setForeColor(pal.color(QPalette::Button).darker(140));
            pos->setBackColor(pal.color(QPalette::Base));
            pos->setColor(pal.color(QPalette::Highlight));
            pos->setFixedHeight(18);
            pos->setMinimumWidth(120);
            w = pos;
            break;
        }
        case CtlKind::Edit: w = new TDocEdit(parent); break;
        case CtlKind::Date: w = new ui::TDBDateEdit(parent); break;
        case CtlKind::Lookup: w = new ui::TDBLookupComboBoxNormal(parent); break;
        case CtlKind::Combo: {
            auto* combo = new ui::TDBComboNormal(parent);
            if (c.items) combo->setItems(QString::fromUtf8(c.items).split(QLatin1Char('|')));
            w = combo;
            break;
        }
        case CtlKind::Text: w = new TDBText(parent); break;
        case CtlKind::Balance: {
            auto* l = new QLabel(parent);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            l->setMinimumWidth(110);
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
            w = l;
            break;
        }
        case CtlKind::Navigator: w = new TDBNavigator(parent); break;
        case CtlKind::Button: {
            auto* b = new QPushButton(QString::fromUtf8(c.caption), parent);
            b->setAutoDefault(true);  // Enter on the focused button clicks it
            w = b;
            break;
        }
    }
    w->setObjectName(QString::fromUtf8(c.name));
    if (c.hint) w->setToolTip(QString::fromUtf8(c.hint));
    return w;
}

}  // namespace

void buildForm(QWidget* form, const FormLayout& layout) {
    form->setWindowTitle(QString::fromUtf8(layout.caption));
    auto* outer = new QVBoxLayout(form);
    std::vector<QWidget*> order;
    for (const GroupSpec& g : layout.groups) {
        QWidget* box = form;
        QGridLayout* grid = new QGridLayout;
        if (g.caption) {
            auto* gb = new QGroupBox(QString::fromUtf8(g.caption), form);
            gb->setLayout(grid);
            outer->addWidget(gb);
            box = gb;
        } else {
            outer->addLayout(grid);
        }
        QHBoxLayout* buttons = nullptr;
        int row = 0;
        for (const CtlSpec& c : g.controls) {
            QWidget* w = makeControl(c, box);
            order.push_back(w);
            if (c.kind == CtlKind::Navigator || c.kind == CtlKind::Button) {
                if (!buttons) {
                    buttons = new QHBoxLayout;
                    grid->addLayout(buttons, row++, 0, 1, 2);
                }
                buttons->addWidget(w);
                continue;
            }
            buttons = nullptr;
            if (c.caption) {
                auto* l = new QLabel(QString::fromUtf8(c.caption), box);
                l->setObjectName(QString::fromUtf8(c.name) + (c.kind == CtlKind::Balance ? "Caption" : "Lbl"));
                l->setBuddy(w);
                grid->addWidget(l, row, 0);
                grid->addWidget(w, row++, 1);
            } else {
                grid->addWidget(w, row++, 0, 1, 2);
            }
        }
        grid->setColumnStretch(1, 1);
    }
    QWidget* prev = nullptr;
    for (QWidget* w : order) {
        if (w->focusPolicy() == Qt::NoFocus) continue;
        if (prev) QWidget::setTabOrder(prev, w);
        prev = w;
    }
}

}  // namespace entry
