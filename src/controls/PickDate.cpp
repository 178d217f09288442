#include "controls/PickDate.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Clock.h"

namespace ui {

namespace {
QDate toQDate(const data::Date& d) { return QDate(d.year, d.month, d.day); }
data::Date fromQDate(const QDate& d) { return data::Date{d.year(), d.month(), d.day()}; }
}  // namespace

TBrDateForm::TBrDateForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Selecteaza data"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    PrevMonthBtn = new QToolButton(this);
    PrevMonthBtn->setArrowType(Qt::LeftArrow);
    PrevMonthBtn->setFocusPolicy(Qt::NoFocus);
    NextMonthBtn = new QToolButton(this);
    NextMonthBtn->setArrowType(Qt::RightArrow);
    NextMonthBtn->setFocusPolicy(Qt::NoFocus);
    TitleLabel = new QLabel(this);
    TitleLabel->setAlignment(Qt::AlignCenter);
    QFont f = TitleLabel->font();
    f.setBold(true);
    TitleLabel->setFont(f);

    Calendar1 = new QCalendarWidget(this);
    Calendar1->setFirstDayOfWeek(Qt::Monday);
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar1->setDateEditEnabled(false);
    Calendar1->setGridVisible(true);

    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(PrevMonthBtn);
    top->addWidget(TitleLabel, 1);
    top->addWidget(NextMonthBtn);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(Calendar1, 1);
    main->addLayout(buttons);

    connect(PrevMonthBtn, &QToolButton::clicked, this, &TBrDateForm::PrevMonthBtnClick);
    connect(NextMonthBtn, &QToolButton::clicked, this, &TBrDateForm::NextMonthBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TBrDateForm::Calendar1Change);
    connect(Calendar1, &QCalendarWidget::currentPageChanged, this, &TBrDateForm::Calendar1Change);
    // Double-click on a day (and Enter in the calendar) confirms.
    connect(Calendar1, &QCalendarWidget::activated, this, &QDialog::accept);
    if (auto* view = Calendar1->findChild<QAbstractItemView*>()) view->installEventFilter(this);
    Calendar1->installEventFilter(this);

    setDate(data::today());
    Calendar1->setFocus();
}

data::Date TBrDateForm::date() const { return fromQDate(Calendar1->selectedDate()); }

void TBrDateForm::setDate(const data::Date& d) {
    if (!d.valid()) return;
    Calendar1->setSelectedDate(toQDate(d));
    Calendar1Change();
}

void TBrDateForm::Calendar1Change() {
    QDate d = Calendar1->selectedDate();
    // the program's language, not the system's ("Decembrie, 2026")
    QString month = QLocale().standaloneMonthName(d.month(), QLocale::LongFormat);
    if (!month.isEmpty()) month[0] = month[0].toUpper();
    TitleLabel->setText(month + QStringLiteral(", ") + QString::number(d.year()).rightJustified(4, QLatin1Char('0')));
}

void TBrDateForm::moveMonths(int n) {
    Calendar1->setSelectedDate(Calendar1->selectedDate().addMonths(n));  // clamps the day
    Calendar1Change();
}

void TBrDateForm::PrevMonthBtnClick() { moveMonths(-1); }
void TBrDateForm::NextMonthBtnClick() { moveMonths(1); }

bool TBrDateForm::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_PageUp) {
            PrevMonthBtnClick();
            return true;
        }
        if (ke->key() == Qt::Key_PageDown) {
            NextMonthBtnClick();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TBrDateForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* s = screen()) {
        QRect g = frameGeometry();
        g.moveCenter(s->availableGeometry().center());
        move(g.topLeft());
    }
    Calendar1->setFocus();
}

bool PickDate(QWidget* owner, data::Date& date) {
    TBrDateForm dlg(owner);
    dlg.setDate(date.valid() ? date : data::today());
    if (dlg.exec() != QDialog::Accepted) return false;
    date = dlg.date();
    return true;
}

}  // namespace ui
