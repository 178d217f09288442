#include "budget/CalculBilantUnt.h"

#include <QProgressBar>

#include "controls/Binding.h"
#include "reports/ReportRun.h"
#include "shell/Messages.h"
#include "ui_CalculBilantUnt.h"

namespace budget {

namespace {

constexpr ui::WindowSpec kWindow{.titleButtons = false, .accessError = nullptr};

}  // namespace

TCalcBilantFrm::TCalcBilantFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    // feedback only: the window that started the run keeps the keyboard
    setAttribute(Qt::WA_ShowWithoutActivating);
    ui::setupForm<Ui_TCalcBilantFrm>(this);
    PBar = ui::child<QProgressBar>(this, "PBar");
    finishLayout();
}

void TCalcBilantFrm::setProgress(int done, int total) {
    if (total > 0 && PBar->maximum() != total) PBar->setMaximum(total);
    PBar->setValue(std::min(done, PBar->maximum()));
    repaint();
}

CalcBilantProgress::CalcBilantProgress(QWidget* owner) : owner_(owner) {
    progress_.begin = [this] {
        window_ = std::make_unique<TCalcBilantFrm>(owner_);
        window_->show();
        window_->repaint();
    };
    progress_.step = [this](int done, int total) {
        if (window_) window_->setProgress(done, total);
    };
    progress_.end = [this] { window_.reset(); };
}

CalcBilantProgress::~CalcBilantProgress() = default;

void ShowBilantError(const BilantError& e, QWidget* owner) {
    ui::Messages::error(QString::fromStdString(e.what()), owner);
}

bool RunCalcBilant(QWidget* owner, const data::Date& date, bool showWindow) {
    reports::WaitCursor wait;
    CalcBilantProgress progress(owner);
    try {
        CalcBilant(date, {}, showWindow ? progress.callbacks() : Progress{});
    } catch (const BilantError& e) {
        wait.restore();
        ShowBilantError(e, owner);
        return false;
    }
    return true;
}

}  // namespace budget
