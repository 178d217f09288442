// The printed centralised budget: the budget printout's layout over
// "BilantCentral.DB", titled as the centralised budget, the cover stating the
// date or period the office's own figures were computed for.
#pragma once
#include <QString>
#include <optional>

#include "budget/RepBilantUnt.h"

namespace budget {

class TRepBilantCentralFrm : public TRepBilantFrm {
public:
    // `column` is "Prevederi" or "Executie".
    TRepBilantCentralFrm(QWidget* owner, const QString& column, std::optional<bool> expensesOnNewPage = {});

    static const QString caption;

    void openData() override;
    std::optional<exports::DataTable> dataTable() override;
};

// Prints the centralised budget as stored (nothing is computed).
reports::RunResult PrintBilantCentral(QWidget* owner, const QString& column, std::optional<bool> expensesOnNewPage = {},
                                      const reports::ReportOutput& output = {});

}  // namespace budget
