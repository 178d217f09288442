// The printed budget ("BUGET DE VENITURI SI CHELTUIELI"): a cover page with
// the unit, the title and the period, then one row per budget line with the
// planned or the executed amount, the income and expense sections opened by
// heading rows taken from the table itself, and the signatures.
#pragma once
#include <QString>
#include <optional>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace data {
struct UnitIdentity;
}

namespace budget {

// The expense-section number when no number is carried by exactly two lines.
inline constexpr int kNoExpenseSection = 999;

// The cover's and the signatures' captions by the unit's kind ("PAROHIA",
// "A PAROHIEI", "PREOT PAROH,", ...) and its fiscal code, for a report made
// from this layout.
void ApplyUnitCaptions(reports::Report& rep, const data::UnitIdentity& unit);

// The report window of one budget printout, caption "Raport bilant".
class TRepBilantFrm : public reports::TReportForm {
public:
    // `column` is "Prevederi" or "Executie"; the two texts print as given.
    // `expensesOnNewPage` answers the separate-page question beforehand;
    // unset, it is asked.
    TRepBilantFrm(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                  std::optional<bool> expensesOnNewPage = {});
    // The same printout of another budget table of this layout ("BilantCentral.DB").
    TRepBilantFrm(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                  std::optional<bool> expensesOnNewPage, const std::string& budgetFile);
    ~TRepBilantFrm() override;

    static const QString caption;

    // Finds the expense section, then opens the budget and the unit's record.
    void openData() override;
    void closeData() override;
    // One row per budget line with its number and amount; the section
    // heading rows keep their name, marked "Capitol".
    std::optional<exports::DataTable> dataTable() override;

    // The expense-section number S of this run (after openData).
    int expenseSection() const { return S_; }

private:
    // A heading row: line 0, or the first line numbered S at position S + 1.
    bool headingRow();
    void DetailBand1BeforePrint();
    void DetailBand1AfterPrint();

    data::Table TBilant;   // the budget lines in index order
    data::Table TParohia;  // the unit's identification and rank
    data::Query Q;         // line numbers by how many differently named lines carry them
    std::optional<bool> expensesOnNewPage_;
    std::string column_;
    int S_ = kNoExpenseSection;
    bool heading_ = false;  // the row being printed is a heading row
};

// Prints the budget as stored (nothing is computed) with the amount column
// `column` ("Prevederi" or "Executie") and the two period texts on the cover.
reports::RunResult PrintBilant(QWidget* owner, const QString& startText, const QString& endText, const QString& column,
                               std::optional<bool> expensesOnNewPage = {}, const reports::ReportOutput& output = {});

}  // namespace budget
