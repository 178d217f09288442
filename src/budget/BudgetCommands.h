// The deanery's budget work from the command line, over the database
// directory set before (data::AppDir). Each returns the exit code: 0 done,
// 1 refused or failed (the reason on `err`, nothing half-written), 2 for a
// bad option value.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace budget {

// --export-budget --to DATE [--from DATE] --out FILE (dates as ZZ.LL.AAAA)
int runExportBudget(const std::optional<std::string>& from, const std::string& to, const std::string& file,
                    std::ostream& out, std::ostream& err);
// --take-over-budget FILE|FOLDER [--group PAROHII|MANASTIRI]: the summary on
// `out`; 1 when any file was refused.
int runTakeOverBudget(const std::vector<std::string>& paths, const std::string& group, std::ostream& out,
                      std::ostream& err);
// --sum-units PAROHII|MANASTIRI
int runSumUnits(const std::string& group, std::ostream& out, std::ostream& err);
// --centralize
int runCentralize(std::ostream& out, std::ostream& err);

}  // namespace budget
