// The receipts-and-payments register ("REGISTRU PENTRU EVIDENTA OPERATIUNILOR
// DE INCASARI SI PLATI PRIN CASA SI PRIN CONT"): every row of the register
// work table on landscape pages, cash and bank operations side by side with
// the running balances, per page the totals carried forward and to carry.
#pragma once
#include <QString>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace registers {

// The report window of one run, caption "Raport registru".
class TRepRegFrm : public reports::TReportForm {
public:
    explicit TRepRegFrm(QWidget* owner);
    ~TRepRegFrm() override;

    static const QString caption;

    void openData() override;
    void closeData() override;
    // Every row of the work table, then "Total general" with the sums of the
    // movements and the balances of the last row.
    std::optional<exports::DataTable> dataTable() override;

private:
    data::Query TRegistru;  // the work table in its natural order
    data::Table TParohia;   // opened with the report; the layout prints none of it
};

// Runs the register over the work table as the last rebuild left it: no
// interval, defaults Arial 8, A4 landscape.
reports::RunResult RunRegistruIncasariPlati(QWidget* owner, const reports::ReportOutput& output = {});

}  // namespace registers
