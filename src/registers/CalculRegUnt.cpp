#include "registers/CalculRegUnt.h"

#include <QCoreApplication>
#include <QProgressBar>

#include "ui_CalculRegUnt.h"

#include "controls/Binding.h"
#include "registers/CalcRegistru.h"
#include "shell/Messages.h"

namespace registers {

namespace {

constexpr ui::WindowSpec kWindow{.modeless = true, .titleButtons = false, .accessError = kRegistruAccessError};

// Runs one builder entry; its failure text goes to an error box.
template <class F>
bool guarded(QWidget* owner, F&& build) {
    try {
        build();
        return true;
    } catch (const RegistruError& e) {
        ui::Messages::error(QString::fromUtf8(e.what()), owner);
        return false;
    }
}

}  // namespace

TCalcRegFrm::TCalcRegFrm(QWidget* owner) : DataWindow(owner, kWindow) {
    ui::setupForm<Ui_TCalcRegFrm>(this);
    PBar = ui::child<QProgressBar>(this, "PBar");
    finishLayout();
}

void TCalcRegFrm::showProgress(int done, int total) {
    if (PBar->maximum() != total) PBar->setMaximum(total);
    PBar->setValue(done);
    paintNow();
}

void TCalcRegFrm::paintNow() {
    // The rebuild does not return to the event loop: the window's own
    // events (its first exposure by the window manager, the bar's repaint)
    // are run here; the user's clicks and keys wait until the end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

bool RunCalcRegistru(QWidget* owner, bool showWindow) {
    if (!showWindow) return guarded(owner, [] { CalcRegistru(); });
    TCalcRegFrm frm(owner);
    frm.show();
    frm.paintNow();
    return guarded(owner, [&] { CalcRegistru({}, [&frm](int done, int total) { frm.showProgress(done, total); }); });
}

bool RunCalcRegistruCheltuiala(QWidget* owner, int cod) {
    return guarded(owner, [&] { CalcRegistruCheltuiala(cod); });
}

}  // namespace registers
