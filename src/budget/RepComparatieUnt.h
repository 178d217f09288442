// The comparison of a group's units ("Comparatia bugetelor unitatilor"): for
// every line of the group budget (or one chosen line) one row per unit with
// its planned and executed amounts and what is out of line (no budget sent,
// lines that do not match), the units' total under each line. As data: one
// row per line, one column per unit.
#pragma once
#include <QString>
#include <optional>

#include "budget/UnitBudgets.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

namespace budget {

// The work table the printout reads, in the work directory "PRIV".
inline constexpr const char* kComparisonTable = "Comparatie.DB";

class TRepComparatieFrm : public reports::TReportForm {
public:
    // `group` is "PAROHII" or "MANASTIRI"; `line` one line number, or all.
    // The data table gives `column` ("Prevederi" or "Executie").
    TRepComparatieFrm(QWidget* owner, const std::string& group, std::optional<int> line, const QString& column);

    static const QString caption;

    // Compares the units and fills the work table.
    void openData() override;
    void closeData() override;
    bool hasData() override;
    std::optional<exports::DataTable> dataTable() override;

private:
    std::string group_;
    std::optional<int> line_;
    bool executie_;
    UnitComparison c_;
    data::Table TComparatie;
    data::Table TParohia;
};

reports::RunResult PrintComparatie(QWidget* owner, const std::string& group, std::optional<int> line = {},
                                   const QString& column = QStringLiteral("Executie"),
                                   const reports::ReportOutput& output = {});

}  // namespace budget
