// The printout of the change journal: the entries of a period, optionally of
// one table and one kind of change, with the values before and after.
#pragma once
#include <QString>
#include <optional>
#include <string>

#include "data/Query.h"
#include "data/Table.h"
#include "reports/ReportRun.h"

class QWidget;

namespace journal {

// What the printout takes besides the period: "" for every table / kind.
struct JournalFilter {
    std::string table;   // "Venituri"
    std::string action;  // "adaugat", "modificat", "sters", ...
};

class TRepJurnalFrm : public reports::TReportForm {
public:
    TRepJurnalFrm(QWidget* owner, const reports::Interval& interval, const JournalFilter& filter);
    static const QString caption;
    void openData() override;
    bool hasData() override { return !Q.isEmpty(); }
    void closeData() override;
    std::optional<exports::DataTable> dataTable() override;

private:
    std::string period_;
    data::Query Q;
    data::Table TParohia;
    reports::Interval interval_;
};

// The SQL of the printout for a filter (the filter's values are parameters).
std::string journalReportSql(const JournalFilter& filter);

// Asks what is not given (the period; the table and kind through the filter
// dialog), then prints. Defaults Arial, 7, A4, landscape.
reports::RunResult PrintJurnal(QWidget* owner, std::optional<reports::Interval> interval = std::nullopt,
                               std::optional<JournalFilter> filter = std::nullopt,
                               const reports::ReportOutput& output = {});

// "Sistem" / "Verificare jurnal": recomputes the chain and says what it found.
void VerificareJurnal(QWidget* owner);

}  // namespace journal
