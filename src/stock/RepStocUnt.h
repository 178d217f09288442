// The stock list "Situatia stocurilor": the items held on a date, each with
// its value (quantity x price), and the grand total.
#pragma once
#include <QString>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace stock {

// The report window of one stock-list run, caption "Raport lista stocurilor".
class TRepStocFrm : public reports::TReportForm {
public:
    TRepStocFrm(QWidget* owner, const data::Date& date);
    ~TRepStocFrm() override;

    static const QString caption;

    void openData() override;
    void closeData() override;
    bool hasData() override;
    // Every item with its quantity, price and value, then the total of the
    // values as printed.
    std::optional<exports::DataTable> dataTable() override;

private:
    void QCalcFields(data::DataSet& ds);
    void TParohiaCalcFields(data::DataSet& ds);

    data::Query Q;         // the items held on the date
    data::Table TParohia;  // the unit's name and address
    data::Date date_;
};

// The unit's address as the report prints it; an empty part keeps its label.
std::string StockAddress(const std::string& localitatea, const std::string& strada, const std::string& nr,
                         const std::string& judet);

// Prints the stock list as on `date` (print dialog, then preview or printer).
// A date on which nothing is held produces no page and no message (written to
// a file: no file and "Nu exista date in aceasta perioada!").
reports::RunResult PrintStoc(QWidget* owner, const data::Date& date, const reports::ReportOutput& output = {});

}  // namespace stock
