// A unit's budget sent to its deanery office: one small JSON file holding the
// unit's name, kind, fiscal code, working year, the date or period its
// figures are for, every budget line and a SHA-256 over all of it (see
// docs/budget-file.md). The unit writes it from its own "Bilant.DB"; the
// office reads it back with a strict, bounded parser.
//
// Plain C++ over the table engine.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Money.h"
#include "data/Value.h"

namespace budget {

// The format's name, as the file's "format" member holds it.
inline constexpr const char* kBudgetFileFormat = "Corvalinde - buget unitate";
inline constexpr int kBudgetFileVersion = 1;
// The largest budget file read, and the most lines it may hold.
inline constexpr long long kMaxBudgetFileBytes = 2LL << 20;
inline constexpr size_t kMaxBudgetLines = 5000;

// A unit's kinds, as "Tip_unitate" of "Parohia.DB" names them.
inline constexpr const char* kKindParohie = "Parohie";
inline constexpr const char* kKindManastire = "Manastire";
inline constexpr const char* kKindManastireMaici = "Manastire de maici";
inline constexpr const char* kKindOficiu = "Oficiu protopopesc";

// A budget file that cannot be used; what() is the whole message.
class BudgetFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct UnitIdentity {
    std::string name;  // "Parohia" of "Parohia.DB"
    std::string kind;
    std::string fiscalCode;
    int year = 0;  // "An_lucru"
};

// The unit record of the database directory `dir`. The kind and the fiscal
// code are read where the record has them; otherwise the kind is
// "Oficiu protopopesc" and the code empty.
UnitIdentity readUnitIdentity(const std::string& dir);

// One budget line; a blank amount has no value.
struct BudgetLine {
    long long rowid = 0;  // in its table (0 for a line of a file)
    int nr = 0;
    std::string name;
    std::optional<data::Bani> prevederi, executie;
    std::string formula;
};

// The lines of `file` in the directory `dir`, in index order (number, name).
// Throws data::EngineError.
std::vector<BudgetLine> readBudgetLines(const std::string& dir, const std::string& file = "Bilant.DB");

struct UnitBudget {
    UnitIdentity unit;
    std::optional<data::Date> from;  // a period; none: as at `to`
    data::Date to;
    std::vector<BudgetLine> lines;
};

// The file's text, its checksum included.
std::string budgetFileText(const UnitBudget& budget);
// The budget a file's text holds. Throws BudgetFileError with the reason
// (damaged, not such a file, a checksum that does not match).
UnitBudget parseBudgetFile(const std::string& text);
// The budget file `path` (an ordinary file of at most kMaxBudgetFileBytes).
// Throws BudgetFileError naming the file.
UnitBudget readBudgetFile(const std::string& path);

// "dd.mm.yyyy" or "dd.mm.yyyy - dd.mm.yyyy"
std::string periodText(const std::optional<data::Date>& from, const data::Date& to);

// The unit's budget of the database directory `dir` computed as at `to` (or
// for the period from `from`), then written to `out` whole or not at all.
// Both dates must lie in the working year. Throws BudgetFileError for the
// dates and the file, BilantError for the computation.
void exportBudget(const std::string& dir, const std::optional<data::Date>& from, const data::Date& to,
                  const std::string& out);

}  // namespace budget
