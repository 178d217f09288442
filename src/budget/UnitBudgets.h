// The deanery office's work with its units' budgets: taking over the budget
// files its units send (checked, shown, then written all or nothing) and
// summing a group's units line by line into the group budget.
//
// Plain C++ over the table engine.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "budget/BudgetFile.h"
#include "budget/CalcBilant.h"

namespace budget {

// A line whose figures a take-over changes, or a line found on one side only.
struct LineChange {
    enum class Kind { Changed, OnlyInFile, OnlyInUnit };
    Kind kind = Kind::Changed;
    int nr = 0;
    std::string name;
    std::optional<data::Bani> oldPrevederi, oldExecutie, newPrevederi, newExecutie;
};

// A budget file checked and ready to be written into its unit.
struct TakeOver {
    std::string path;
    UnitBudget budget;
    std::string group;     // "PAROHII" or "MANASTIRI"
    bool newUnit = false;  // the unit is not in the tree: it is added under `group`
    std::vector<LineChange> changes;
};

// Reads and checks the file `path` for the office of the database directory
// `appDir`: the checksum, the working year, and that its line numbers are
// those of the group's unit template. A unit missing from the tree goes under
// `groupForNew` ("PAROHII" or "MANASTIRI"), or, when that is empty, under the
// group its kind names. Nothing is written. Throws BudgetFileError naming the
// file, data::EngineError.
TakeOver planTakeOver(const std::string& appDir, const std::string& path, const std::string& groupForNew = {});
// What the take-over will change, for the question before it.
std::string describeTakeOver(const TakeOver& t);
// Adds the unit where it is new, then writes the file's figures into its
// "Bilant.DB" in one transaction: every line of the file, matched to the
// unit's line of the same number (two lines of one number in index order);
// a line of the unit the file lacks gets 0. Throws BudgetFileError, UnitError.
void applyTakeOver(const std::string& appDir, const TakeOver& t);

// The files named, the budget files of a named folder ("*.json", in name
// order) in their place. At most kMaxFolderFiles files a folder.
inline constexpr size_t kMaxFolderFiles = 10000;
std::vector<std::string> budgetFilesIn(const std::vector<std::string>& paths);

struct TakeOverSummary {
    int taken = 0, refused = 0;
    std::vector<std::string> lines;  // one per file: taken over, or why not
    std::string text() const;
};

// Several files checked together, before anything is written.
struct TakeOverBatch {
    std::vector<TakeOver> plans;       // the files that can be taken over
    std::vector<std::string> refused;  // why the others cannot
    // The question before writing: what each file changes, what is refused.
    std::string question() const;
};
TakeOverBatch planTakeOvers(const std::string& appDir, const std::vector<std::string>& paths,
                            const std::string& groupForNew = {});
// Writes every planned file in turn; one that fails leaves the others going.
TakeOverSummary applyTakeOvers(const std::string& appDir, const TakeOverBatch& batch);
// Both in one go (the command line).
TakeOverSummary takeOverAll(const std::string& appDir, const std::vector<std::string>& paths,
                            const std::string& groupForNew = {});

struct SumResult {
    int units = 0;                      // units whose budgets were added
    std::vector<std::string> problems;  // units without a budget, lines that do not match
    std::string text(const std::string& group) const;
};
// The group budget of `group` ("PAROHII" or "MANASTIRI") filled as the line by
// line sum of the budgets of its units in the tree (lines paired by number;
// formula lines evaluated after, as for a typed budget). A unit whose line
// numbers differ from the group's is named, and only the lines both have are
// added. Throws BilantError.
SumResult sumUnits(const std::string& appDir, const std::string& group);

// The budgets of a group's units side by side, by the group's lines.
struct UnitComparison {
    std::vector<BudgetLine> lines;  // the group budget's, in index order
    struct Unit {
        std::string name;
        bool hasBudget = false;
        std::string note;                                            // why it is out of line: empty when it is not
        std::optional<ComputedPeriod> sent;                          // the period of the file taken over, if any
        std::vector<std::optional<data::Bani>> prevederi, executie;  // by the group's lines; none: no such line
    };
    std::vector<Unit> units;  // in tree order
};
// Throws data::EngineError.
UnitComparison compareUnits(const std::string& appDir, const std::string& group);

// The units of a group in the tree file of `appDir`, in tree order.
std::vector<std::string> groupUnits(const std::string& appDir, const std::string& group);

}  // namespace budget
