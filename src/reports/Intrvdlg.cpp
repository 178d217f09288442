#include "reports/Intrvdlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Messages.h"
#include "data/Format.h"

namespace reports {

TIntervalDlg::TIntervalDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Setati intervalul dorit:"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    FirstDateEdit = new ui::TDateEdit(this);
    FirstDateEdit->setObjectName(QStringLiteral("FirstDateEdit"));
    LastDateEdit = new ui::TDateEdit(this);
    LastDateEdit->setObjectName(QStringLiteral("LastDateEdit"));
    FirstLbl = new QLabel(QStringLiteral("&De la data de :"), this);
    FirstLbl->setBuddy(FirstDateEdit);
    LastLbl = new QLabel(QStringLiteral("&pana în data:"), this);
    LastLbl->setBuddy(LastDateEdit);

    CancelBtn = new QPushButton(QStringLiteral("&Inchide"), this);
    CancelBtn->setToolTip(QStringLiteral("Renunt"));
    CancelBtn->setAutoDefault(false);
    OKBtn = new QPushButton(QStringLiteral("&Deschide"), this);
    OKBtn->setToolTip(QStringLiteral("Sunt de acord"));
    OKBtn->setAutoDefault(false);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(OKBtn, &QPushButton::clicked, this, &TIntervalDlg::CheckInterval);

    auto* grid = new QGridLayout;
    grid->addWidget(FirstLbl, 0, 0);
    grid->addWidget(FirstDateEdit, 0, 1);
    grid->addWidget(LastLbl, 1, 0);
    grid->addWidget(LastDateEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(OKBtn);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons);

    FirstDateEdit->installEventFilter(this);
    LastDateEdit->installEventFilter(this);
    setTabOrder(FirstDateEdit, LastDateEdit);
    setTabOrder(LastDateEdit, CancelBtn);
    setTabOrder(CancelBtn, OKBtn);
    FirstDateEdit->setFocus();
}

void TIntervalDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FirstDateEdit->setFocus();
}

void TIntervalDlg::CheckInterval() {
    // reading a date edit puts back its last valid date over text that is not one
    const data::Date first = FirstDateEdit->value();
    const data::Date last = LastDateEdit->value();
    if (first > last) {
        ui::Messages::warning(QStringLiteral("Intervalul de timp nu este corect! ") +
                                  QString::fromStdString(data::formatDate("dd.mm.yyyy", last)) + QStringLiteral(" < ") +
                                  QString::fromStdString(data::formatDate("dd.mm.yyyy", first)),
                              this);
        return;
    }
    accept();
}

bool TIntervalDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (watched == FirstDateEdit) {
                LastDateEdit->setFocus();
                return true;
            }
            if (watched == LastDateEdit) {
                CheckInterval();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool SelectInterval(QWidget* owner, data::Date& start, data::Date& end) {
    TIntervalDlg dlg(owner);
    dlg.FirstDateEdit->setValue(start);
    dlg.LastDateEdit->setValue(end);
    if (dlg.exec() != QDialog::Accepted) return false;
    start = dlg.FirstDateEdit->value();
    end = dlg.LastDateEdit->value();
    return true;
}

}  // namespace reports
