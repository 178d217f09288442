// The budget window "Bilant": the budget lines with their planned and
// executed amounts, the planned amounts typed in the grid, the executed
// amounts recomputed for a period ("&Recalc executie") and the budget printed
// with either column ("&Listeaza!"). Modal; opened by OpenBilant, which first
// computes the budget as at today.
#pragma once
#include <QDialog>
#include <optional>

#include "controls/DataWindow.h"
#include "data/Value.h"
#include "reports/ReportRun.h"

class QMenu;
class QPushButton;

namespace ui {
class TDateEdit;
class TDBGridNormal;
}  // namespace ui

namespace budget {

class TBilantFrm : public ui::DataWindow<QDialog> {
    Q_OBJECT
public:
    explicit TBilantFrm(QWidget* owner);
    ~TBilantFrm() override;

    // Opens the budget and the unit's record, then sets the period to
    // 1 January of the working year and today. Raises the engine's error
    // (RunModalDialog shows it with the window's access-error text).
    void openTables();

private:
    // The working year of the unit; the current year when the unit has none.
    int workingYear();
    // "&Recalc executie": the executed amounts of the period between the two dates.
    void BitBtn2Click();
    // "&Listeaza!": the print menu just below the button.
    void PrintBtnClick();
    // "Prevederi" / "Executie": the budget printed with that column and the
    // dates as the two fields show them.
    void printColumn(const char* column);

    data::Table& TBilant = table("Bilant.DB");
    data::DataSource& DSBilant = source(TBilant);
    data::Table& TParohia = table("Parohia.DB");

    ui::TDateEdit* DataBilant1Ed;
    ui::TDateEdit* DataBilantEd;
    ui::TDBGridNormal* DBGrid1;
    QPushButton* PrintBtn;
    QMenu* PopupMenu1;
};

// The main menu's "Bilant": the budget as at today under the busy cursor, then
// the budget window, only when the computation succeeded.
void OpenBilant(QWidget* owner);

// The budget computed and printed as the budget window does it, without the
// window: as at `end` (the menu's computation, the cover's period starting on
// 1 January of the working year), or with `start` for the period from `start`
// to `end` as "&Recalc executie" computes it; then printed with `column`.
struct BilantPrint {
    std::optional<data::Date> start;
    data::Date end;
    int workingYear = 0;
    QString column = QStringLiteral("Executie");
    std::optional<bool> expensesOnNewPage;  // unset: asked
};
// A failed computation is told as the window tells it and ends the run
// (AccessError); a start after the end is refused with the window's warning.
reports::RunResult PrintBilantComputed(QWidget* owner, const BilantPrint& print, const reports::ReportOutput& output);

}  // namespace budget
