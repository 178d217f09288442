// The cash register ("REGISTRU DE CASA") and the bank register ("REGISTRU DE
// BANCA"): day by day for an interval, every movement of the account with
// the previous day's balance and the totals carried forward, the day's rows
// numbered on across days and pages, and the day's final balance with the
// totals to carry. Two instances of one report over the register work table.
#pragma once
#include <QString>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace registers {

// What tells the two registers apart.
struct RegisterAccount {
    const char* title;       // "REGISTRU DE CASA"
    const char* sheet;       // "Registru de casa"
    const char* columns[4];  // Incasari, Ridicari, Plati, Depuneri of the account
    const char* balance;     // SoldC / SoldB
    const char* filter;      // QFilterReg: rows after :Stop and rows without a movement of the account
    bool wrapUnitLines;      // unit lines 76.5 mm wide (a longer one in a smaller font), or as wide as their text
};
extern const RegisterAccount kCasa, kBanca;

// The fiscal code under the unit's lines and the signature captions by the
// unit's kind (items CodFiscalLbl, QRLabel14, QRLabel15) of a register or ledger.
void ApplyUnitLines(reports::Report& rep, data::DataSet& parohia);

// The report window of one run, caption "Raport registru".
class TRepRegCasaFrm : public reports::TReportForm {
public:
    TRepRegCasaFrm(QWidget* owner, const data::Date& start, const data::Date& stop,
                   const RegisterAccount& account = kCasa);
    ~TRepRegCasaFrm() override;

    static const QString caption;

    // Drops from the work table the rows after the interval's end and those
    // without a movement of the account, then opens it and the unit table.
    void openData() override;
    bool hasData() override;
    void closeData() override;
    // Per day in the interval: its heading row (the previous balance and the
    // totals carried forward), its movements numbered on across days, and its
    // closing row (its balance and the totals to carry).
    std::optional<exports::DataTable> dataTable() override;

private:
    const RegisterAccount& account_;
    data::Query QFilterReg;
    data::Query TRegistru;  // the work table in its natural order
    data::Table TParohia;
    data::Date start_, stop_;
    int counter_ = 1;      // the number of the next printed row
    double previous_ = 0;  // the balance of the row the cursor left last
};

class TRepRegBancaFrm : public TRepRegCasaFrm {
public:
    TRepRegBancaFrm(QWidget* owner, const data::Date& start, const data::Date& stop)
        : TRepRegCasaFrm(owner, start, stop, kBanca) {}
};

// The register over the work table the last rebuild made, for `interval`
// (when not given, asked for with both dates today; a cancelled dialog is
// Cancelled). Rows before the interval feed the carried-forward figures
// without printing.
reports::RunResult RunRegistruCasa(QWidget* owner, std::optional<reports::Interval> interval = {},
                                   const reports::ReportOutput& output = {});
reports::RunResult RunRegistruBanca(QWidget* owner, std::optional<reports::Interval> interval = {},
                                    const reports::ReportOutput& output = {});

}  // namespace registers
