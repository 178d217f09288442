// The unit's budget "Bilant.DB" computed from the documents: as at a date
// (every receipt and payment up to and including it) and for a period (the
// budget as at the period's end less the budget as at the day before it).
//
// Plain C++ over the table engine. The windows that run it show a BilantError
// in an error box and then end their command silently; they show the
// progress of a run from the callbacks.
#pragma once
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "data/Value.h"

namespace budget {

inline constexpr const char* kBilantAccessError = "Eroare de acces la tabela bilant!";

// A computation that failed. what() is the whole text of the error box:
//  - PrivateDirectory: "Nu pot crea " + the work directory; nothing was done;
//  - TableAccess: "Eroare de acces la tabela bilant!", a line break, the
//    engine's message and "!"; the lines keep what the run had written;
//  - PeriodCopy: "Nu pot crea fisierul :" + the database directory +
//    "Bilant1. Inchideti fisierele aferente si repetati operatia!"; the
//    budget holds the figures as at the day before the period.
class BilantError : public std::runtime_error {
public:
    enum class Kind { PrivateDirectory, TableAccess, PeriodCopy };
    BilantError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// What a run tells the one who started it (each may be empty).
struct Progress {
    std::function<void()> begin;                    // a run starts, its work directory made
    std::function<void(int done, int total)> step;  // after every step
    std::function<void()> end;                      // the run is over, also after a failure
};

// The work directory the engine keeps its temporary results in.
inline constexpr const char* kPrivateDirectory = "PRIV";

// Whether a formula text means "no formula": NULL, empty or only spaces.
bool isBlankFormula(const data::Value& formula);

// The budget of the database directory `dir` ("" = AppDir) as at `date`:
//  1. the work directory "PRIV" made if missing;
//  2. every executed amount 0.0, every blank planned amount 0.0, and the
//     planned amount of every formula line 0.0 (a blank formula is none: its
//     line keeps its typed planned amount);
//  3. line 1 gets the opening cash plus bank balance of "Contor.DB";
//  4. every line numbered by an income code of the catalog gets the sum of
//     the receipts of that code dated up to `date`, then every line numbered
//     by an expense code the sum of the payments (replacing an income sum on
//     a shared line); both accounts, no deposits or withdrawals; the first
//     line of a number in index order takes the sum;
//  5. every formula line evaluated in index order, twice.
// Throws BilantError.
void CalcBilant(const data::Date& date, const std::string& dir = {}, const Progress& progress = {});

// What the period computation asks of the window showing the budget.
struct PeriodHooks {
    std::function<void()> releaseTable;  // before the budget is copied: close the budget table
    std::function<void()> reopenTable;   // after the copy: open it again (may throw data::EngineError)
};

// Every line's executed amount for the period from `start` to `end`: the
// budget as at `end` less the budget as at the day before `start`, line by
// line ("Bilant1.DB" keeps the earlier budget; two lines sharing a number are
// paired in index order). A period starting on 1 January of `workingYear` is
// the budget as at `end`. Planned amounts are those as at `end`.
// The caller checks that `start` is not after `end`. Throws BilantError.
void CalcBilantPerioada(const data::Date& start, const data::Date& end, int workingYear, const std::string& dir = {},
                        const Progress& progress = {}, const PeriodHooks& hooks = {});

// The budget of a unit or of a group of units, in the directory `dir`, whose
// amounts are typed: blank amounts become 0.0, both amounts of every formula
// line 0.0 (the typed amounts of the other lines stay, nothing is gathered
// from documents), then every formula line is evaluated in index order,
// twice. Throws BilantError (TableAccess); the lines keep what was written.
void CalcBilantSubunitate(const std::string& dir, const Progress& progress = {});

// What the figures of a budget were last computed for: a period, or as at
// `to` when `from` is unset. Every computation of a unit's own budget
// records it beside the budget (the file kComputationFile), removing the
// record first, so that a run that failed leaves none.
struct ComputedPeriod {
    std::optional<data::Date> from;
    data::Date to;
    bool operator==(const ComputedPeriod&) const = default;
};
inline constexpr const char* kComputationFile = "Bilant.calcul";
// The record of the database directory `dir`; none when there is no
// readable one.
std::optional<ComputedPeriod> lastComputation(const std::string& dir = {});
// Records what the figures of the budget of `dir` are for (a computation, a
// budget taken over from a unit's file). A record that cannot be written is
// left out: the figures then read as of an unknown date, never a wrong one.
void recordComputation(const std::string& dir, const ComputedPeriod& p);
// Whether the figures are those of the whole year `year`: as at 31 December,
// or from 1 January to 31 December.
bool wholeYear(const ComputedPeriod& p, int year);
// What the figures are for, as a heading says it: "LA SFARSITUL ANULUI : 2014"
// for the whole year `year`, "LA DATA : 15.06.2014", "PE PERIOADA :
// 01.02.2014 - 31.03.2014", or that the date is not known.
std::string periodHeading(const std::optional<ComputedPeriod>& p, int year);

// The centralised budget "BilantCentral.DB" of the database directory `dir`
// ("" = AppDir): every line's amounts become the sum of the first line
// numbered `Rd_oficiu` of the office's own budget, the first numbered
// `Rd_paroh` of the parishes' group budget ("PAROHII") and the first numbered
// `Rd_manast` of the monasteries' group budget ("MANASTIRI"). A blank mapping
// number is 0; a missing line or a blank amount counts as 0. The centralised
// formulas are not evaluated. Throws BilantError (TableAccess); a missing
// source budget changes no line.
void CentralizBilant(const std::string& dir = {}, const Progress& progress = {});

}  // namespace budget
