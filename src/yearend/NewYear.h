// The passage to a new working year: the closed year kept whole in
// "Arhiva/<year>" under the database directory, the cash and bank balances as
// at 31 December carried as the new opening balances, the documents up to
// 31 December taken out of the four document tables, the working year moved
// on and the budget's executed amounts zeroed.
//
// All or nothing. The archive is copied first under "<year>.incomplet" and
// stamped complete; then one SQLite transaction over the seven tables the
// passage changes (Parohia, Contor, the four document tables, Bilant) makes
// the new year. The tables are rollback-journal files attached to one
// connection whose main file is "Parohia.DB", so the commit goes through a
// super-journal and is atomic across all seven: a kill before it leaves every
// table as it was (the journals roll back at the next open), a kill after it
// leaves all of them changed. The working year in "Parohia.DB" therefore
// tells which year the directory holds, and recoverNewYear at the next start
// finishes or throws away the archive accordingly. This keeps the passage in
// place, without a second copy of the directory to swap in.
//
// Plain C++ over SQLite; the windows and the command line put the questions.
#pragma once
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "data/Value.h"

namespace yearend {

inline constexpr const char* kArchiveDirectory = "Arhiva";
inline constexpr const char* kCloseAllWindows = "Inchideti toate ferestrele!";

// A passage refused before anything changed; what() is the message.
class NewYearRefused : public std::runtime_error {
public:
    explicit NewYearRefused(const std::string& text) : std::runtime_error(text) {}
};

// A passage that failed part way; what() is the whole message, saying which
// year the directory holds now.
class NewYearFailed : public std::runtime_error {
public:
    NewYearFailed(const std::string& text, bool newYearMade) : std::runtime_error(text), newYearMade_(newYearMade) {}
    // false: nothing changed, the old year is whole; true: the new year is
    // made and only the archive's final name is missing (recoverNewYear
    // gives it at the next start).
    bool newYearMade() const { return newYearMade_; }

private:
    bool newYearMade_;
};

// What closing the working year carries over.
struct Closing {
    int year = 0;                        // the year being closed (An_lucru)
    double soldCasa = 0, soldBanca = 0;  // as at 31 December, rounded to the cent
    long long documents = 0;             // documents dated up to 31 December, and undated ones
    std::string archiveDir;              // "<dir>Arhiva/<year>"
};

// The passage as it would run now, without changing anything. Throws
// NewYearRefused: no working year, a table missing or written by another
// program, the year already closed (its archive exists), or the directory is
// itself the archive of a closed year.
Closing planNewYear(const std::string& dir);

// Closes the year `expectedYear` (the one the user confirmed) in `dir`.
// Returns what was carried. Throws NewYearRefused (nothing changed, also when
// the working year is no longer `expectedYear`) or NewYearFailed.
Closing passNewYear(const std::string& dir, int expectedYear);

// Whether the year is over on `today`: today is 1 January of the next year or later.
bool yearOver(int year, const data::Date& today);

// What the start after an interrupted passage found and did.
struct Recovery {
    enum class Kind { Nothing, OldYearKept, NewYearCompleted } kind = Kind::Nothing;
    int year = 0;            // the year whose passage was interrupted
    std::string archiveDir;  // its archive (NewYearCompleted)
};
// Finishes an interrupted passage in `dir`: unfinished table transactions are
// rolled back; an archive under its temporary name is given its final name
// when the new year was committed, and removed when the old year is still
// there. Never throws.
Recovery recoverNewYear(const std::string& dir);

// The texts of the passage, in the program's words.
std::string confirmationText(const Closing& c);
std::string yearNotOverText(const Closing& c, const data::Date& today);
std::string summaryText(const Closing& c);
std::string recoveryText(const Recovery& r);  // empty for Kind::Nothing
std::string amountText(double v);             // "1,234.56"

// ---- the correction of a closed year's archive
// Late documents of a closed year enter its archive only in the archive's
// correction mode. Opening it marks the archive (in its "Parohia.DB") as under
// correction and lets the data layer write its tables; closing it carries the
// archive's closing balances as at 31 December into the opening balances of
// the following year ("Contor.DB" of the installation the archive belongs to)
// and clears the mark, in one transaction over both files: the two years
// always agree, or the mark says they do not yet.
struct Correction {
    int year = 0;                      // the archive's year
    std::string archiveDir;            // "<dir>Arhiva/<year>/"
    std::string nextDir;               // "<dir>/": the installation working in year + 1
    double oldCasa = 0, oldBanca = 0;  // the following year's opening balances before the closing
    double newCasa = 0, newBanca = 0;  // the archive's closing balances, carried
};

// Whether the directory is the archive of a closed year: its year, or nullopt.
std::optional<int> archiveYear(const std::string& dir);
// Whether a correction of the archive was opened and never closed.
bool correctionPending(const std::string& archiveDir);
// The correction as it would run now. Throws NewYearRefused: the directory is
// no archive, the following year's directory cannot be found (or works in
// another year), or its tables are used by another program.
Correction planCorrection(const std::string& archiveDir);
// Opens the archive for correction (refused as planCorrection).
void beginCorrection(const std::string& archiveDir);
// Closes the correction: the archive's new closing balances become the
// following year's opening balances, all or nothing, and the archive is
// read-only again. Throws NewYearRefused (nothing changed, the correction
// stays open) or NewYearFailed.
Correction finishCorrection(const std::string& archiveDir);

std::string correctionQuestion(const Correction& c);
std::string correctionConfirmation(const Correction& c);
std::string correctionSummary(const Correction& c);
std::string correctionPendingText(int year);

// Test hook: called after each step of a passage; may throw (a failure at
// that point) or end the process (a kill).
enum class Step {
    ArchiveFileCopied,  // once per file
    ArchiveComplete,    // every file copied, the archive stamped complete
    BalancesCarried,
    DocumentsRemoved,  // once per document table
    YearAdvanced,
    BudgetZeroed,
    Committed,
    ArchiveNamed,
    CorrectionCarried,  // the correction's balances written, before its commit
};
using StepHook = std::function<void(Step)>;
void setStepHook(StepHook hook);

}  // namespace yearend
