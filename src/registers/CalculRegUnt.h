// The builder window of the register work table: a progress bar repainted as
// the rebuild goes, and the two entries the register commands start with.
#pragma once
#include <QDialog>

#include "controls/DataWindow.h"

class QProgressBar;

namespace registers {

// Caption "Calcul registru casa- banca"; no title-bar buttons, centred.
class TCalcRegFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TCalcRegFrm(QWidget* owner);

    // `done` of `total` steps, painted at once (the rebuild does not return
    // to the event loop).
    void showProgress(int done, int total);
    // Paints the window at once, also the first time it is on the screen.
    void paintNow();

private:
    QProgressBar* PBar;
};

// The full rebuild with the builder window shown (`showWindow` false: a run
// without windows): true when the work table is complete. A failure is shown
// in an error box ("Nu pot crea fisierul :" ..., or "Eroare de acces la
// tabela registru!" with the engine's message) and gives false: the report
// that was to follow does not run.
bool RunCalcRegistru(QWidget* owner, bool showWindow = true);
// The expense ledger's fill for expense type `cod` (the window is not shown);
// failures as above.
bool RunCalcRegistruCheltuiala(QWidget* owner, int cod);

}  // namespace registers
