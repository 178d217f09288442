// The balances and every report from the command line, without a window:
// "--balances", "--list-reports" and "--report NAME ... --out FILE". A report
// runs the function its menu command runs, with what the dialogs would ask
// given by the options and its pages written to the file.
#pragma once
#include <iosfwd>
#include <vector>

#include "app/CommandLine.h"

class QWidget;

namespace app {

// The report names, in the order --list-reports prints them.
std::vector<const char*> reportNames();
// The options of --report besides the report's name (every report's together).
std::vector<Option> reportOptions();

// "Casa: " and the cash balance, "Banca: " and the bank balance, a line each,
// the amounts as the program prints amounts ("#,##0.00").
int runBalances(const CommandLine& cl, std::ostream& out, std::ostream& err);
// The report names, one a line, each with its title and options.
int runListReports(const CommandLine& cl, std::ostream& out, std::ostream& err);
// 0 when the file is written; 1 when the report failed (its message on
// `err`, no file left behind); 2 for a bad command line.
int runReport(const CommandLine& cl, std::ostream& out, std::ostream& err);
// --export-documents: the documents of --from to --to (the working year by
// default) into --out (.xlsx, .csv, .table.html); the count on `out`. 0 when
// written, 1 when the tables or the file failed, 2 for a bad command line.
int runExportDocuments(const CommandLine& cl, std::ostream& out, std::ostream& err);

// "Listari" / "Export documente": asks for the period and the file, then
// writes the documents and says how many.
void ExportDocumente(QWidget* owner);

}  // namespace app
