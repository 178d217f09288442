// The progress window "Calcul bilant" of the budget computation, and the
// computation run from a window: the progress window shown while a run
// lasts, a failure told in an error box.
#pragma once
#include <QDialog>
#include <memory>

#include "budget/CalcBilant.h"
#include "controls/DataWindow.h"

class QProgressBar;

namespace budget {

// Centred on the screen, without title-bar buttons, a progress bar `PBar`
// (0 to 100 until a run sets its maximum), repainted after every step.
class TCalcBilantFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TCalcBilantFrm(QWidget* owner);

    void setProgress(int done, int total);

private:
    QProgressBar* PBar;
};

// The progress of the runs started from `owner`: a progress window for each
// run, shown when it begins and freed when it ends.
class CalcBilantProgress {
public:
    explicit CalcBilantProgress(QWidget* owner);
    ~CalcBilantProgress();
    CalcBilantProgress(const CalcBilantProgress&) = delete;
    CalcBilantProgress& operator=(const CalcBilantProgress&) = delete;

    const Progress& callbacks() const { return progress_; }

private:
    QWidget* owner_;
    std::unique_ptr<TCalcBilantFrm> window_;
    Progress progress_;
};

// Shows a failed computation's text in an error box.
void ShowBilantError(const BilantError& e, QWidget* owner);

// The budget of the database directory as at `date`, under the busy cursor
// and with its progress window (none with `showWindow` false). A failure is
// told in an error box and false returned: the calling command ends without
// a further message.
bool RunCalcBilant(QWidget* owner, const data::Date& date, bool showWindow = true);

}  // namespace budget
