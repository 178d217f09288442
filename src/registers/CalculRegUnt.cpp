#include "registers/CalculRegUnt.h"

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
    PBar->repaint();
}

bool RunCalcRegistru(QWidget* owner, bool showWindow) {
    if (!showWindow) return guarded(owner, [] { CalcRegistru(); });
    TCalcRegFrm frm(owner);
    frm.show();
    frm.repaint();
    return guarded(owner, [&] { CalcRegistru({}, [&frm](int done, int total) { frm.showProgress(done, total); }); });
}

bool RunCalcRegistruCheltuiala(QWidget* owner, int cod) {
    return guarded(owner, [&] { CalcRegistruCheltuiala(cod); });
}

}  // namespace registers
