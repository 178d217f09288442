// Money: the one way the program takes in, keeps, adds and writes amounts.
// Amounts are stored as doubles holding a whole number of bani; sums are kept
// in integer bani so a printed total always equals the amounts above it.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace data {

// The display format of every amount, and the format it is edited with.
inline constexpr const char* kAmountFormat = "#,##0.00";
inline constexpr const char* kAmountEditFormat = "0.00";

using Bani = long long;
// Amounts below this magnitude are written from their bani; larger values (no
// amount of the books is ever one) from the double's own digits.
inline constexpr double kWholeBaniLimit = 1e15;

// The amount in bani, rounded half away from zero (1.005 is 101 bani: the
// decimal the user meant, not its binary neighbour).
Bani toBani(double amount);
inline double fromBani(Bani bani) { return static_cast<double>(bani) / 100.0; }
// The amount rounded to the ban.
inline double roundToBan(double amount) { return fromBani(toBani(amount)); }

// "#,##0.00" with the locale's separators.
std::string formatAmount(double amount);
std::string formatAmountBani(Bani bani);

// Why a typed amount is refused.
enum class AmountError {
    None,
    Empty,            // nothing but blanks
    BadCharacter,     // a letter or another character that has no place in an amount
    TooManyDecimals,  // three or more decimals that do not group thousands
    BadGrouping,      // thousands separators not between groups of three digits
    TooLarge,         // more digits than any amount can hold
};

struct ParsedAmount {
    std::optional<double> value;  // rounded to the ban; empty when refused
    AmountError error = AmountError::None;
};

// Reads an amount typed by the user, in any locale: ',' and '.' both serve as
// the decimal separator; when both appear, the last one is the decimal
// separator and the others group digits by three; blanks group digits too
// ("18.540,75", "18,540.75", "18 540,75"). A lone separator followed by
// exactly three digits groups thousands ("1.245" is 1,245.00). A sign may
// lead. Anything else is refused.
ParsedAmount parseAmount(std::string_view text);

// The Romanian message for a refused amount typed into the field named
// `fieldName`.
std::string amountErrorText(std::string_view text, std::string_view fieldName, AmountError error);

}  // namespace data
