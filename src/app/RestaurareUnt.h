// "Sistem" / "Restaurare din copie de siguranta": the installation's copies
// with when each was made and what it holds (unit, working year, documents,
// both balances); "Res&taureaza" checks the chosen copy, asks with its
// figures and the current ones (Enter answers No), copies the current state
// and puts the copy in place, all or nothing.
#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "controls/DataWindow.h"

class QTableWidget;
class QLabel;

namespace app {

class TMainFrm;

class TRestaurareFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TRestaurareFrm(QWidget* owner);
    ~TRestaurareFrm() override;

    // The copy the grid's current row shows ("" when there is none).
    std::string chosenCopy() const;

private:
    void fillGrid();
    void RestoreBtnClick();

    std::vector<std::string> copies_;  // newest first, as the grid shows them
    QTableWidget* CopiesGrid;
    QLabel* CurrentLabel;
};

// The menu command: refused while another window of the program is open.
void RestaurareCopie(TMainFrm& m);

}  // namespace app
