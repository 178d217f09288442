#include "reports/Intrvdlg.h"

#include <QKeyEvent>
#include <QPushButton>

#include "ui_Intrvdlg.h"

#include "controls/Binding.h"
#include "controls/DateEdit.h"
#include "data/Format.h"
#include "shell/Messages.h"

namespace reports {

namespace {

constexpr ui::WindowSpec kDialog{};

}  // namespace

TIntervalDlg::TIntervalDlg(QWidget* parent) : DataWindow(parent, kDialog) {
    ui::setupForm<Ui_TIntervalDlg>(this);
    FirstDateEdit = ui::child<ui::TDateEdit>(this, "FirstDateEdit");
    LastDateEdit = ui::child<ui::TDateEdit>(this, "LastDateEdit");
    connect(ui::child<QPushButton>(this, "CancelBtn"), &QPushButton::clicked, this, &QDialog::reject);
    connect(ui::child<QPushButton>(this, "OKBtn"), &QPushButton::clicked, this, &TIntervalDlg::CheckInterval);
    FirstDateEdit->installEventFilter(this);
    LastDateEdit->installEventFilter(this);
    finishLayout();
    FirstDateEdit->setFocus();
}

void TIntervalDlg::setInterval(const data::Date& first, const data::Date& last) {
    FirstDateEdit->setValue(first);
    LastDateEdit->setValue(last);
}

data::Date TIntervalDlg::firstDate() const { return FirstDateEdit->value(); }

data::Date TIntervalDlg::lastDate() const { return LastDateEdit->value(); }

void TIntervalDlg::showEvent(QShowEvent* e) {
    DataWindow::showEvent(e);
    FirstDateEdit->setFocus();
}

void TIntervalDlg::CheckInterval() {
    // reading a date edit puts back its last valid date over text that is not one
    const data::Date first = FirstDateEdit->value();
    const data::Date last = LastDateEdit->value();
    if (first > last) {
        ui::Messages::warning(WrongIntervalText(first, last), this);
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
    return DataWindow::eventFilter(watched, event);
}

QString WrongIntervalText(const data::Date& first, const data::Date& last) {
    return QStringLiteral("Intervalul de timp nu este corect! ") +
           QString::fromStdString(data::formatDate("dd.mm.yyyy", last)) + QStringLiteral(" < ") +
           QString::fromStdString(data::formatDate("dd.mm.yyyy", first));
}

bool SelectInterval(QWidget* owner, data::Date& start, data::Date& end) {
    TIntervalDlg dlg(owner);
    dlg.setInterval(start, end);
    if (dlg.exec() != QDialog::Accepted) return false;
    start = dlg.firstDate();
    end = dlg.lastDate();
    return true;
}

}  // namespace reports
