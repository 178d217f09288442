// Names the Romanian way: ICU's Romanian collation (letter case ignored; Ă
// after A, Â after Ă, Î after I, Ș after S, Ț after T; the cedilla letters ş ţ
// taken as the comma letters ș ț), and a fold for "contains" matching that
// ignores letter case and diacritics ("ste" and "ște" both find "Ștefan").
// Every connection the engine opens knows the collation "RO".
#pragma once
#include <string>
#include <string_view>

struct sqlite3;

namespace data {

class DataSet;

// The name of the Romanian collation on every connection: ORDER BY x COLLATE RO.
inline constexpr const char* kRomanianCollation = "RO";

// Three-way comparison of two UTF-8 texts in Romanian order, letter case ignored.
int compareRomanian(std::string_view a, std::string_view b);
// The bytes that order as the text does in the Romanian collation (compared
// byte by byte): many names sorted with one key each.
std::string romanianSortKey(std::string_view text);
// The same name, letter case ignored: "parohia ștefan" and "Parohia Ştefan".
inline bool sameName(std::string_view a, std::string_view b) { return compareRomanian(a, b) == 0; }
// Whether `a` goes before `b` (a strict order for std::sort).
inline bool romanianLess(std::string_view a, std::string_view b) { return compareRomanian(a, b) < 0; }

// The text folded for matching: lower case, the diacritics of the Latin
// letters dropped ("Lumânări" -> "lumanari"), other characters kept.
std::string foldForMatch(std::string_view text);
// Whether `text` folded holds `foldedNeedle` (already folded) anywhere.
bool containsFolded(std::string_view text, std::string_view foldedNeedle);
// Whether `text` folded begins with `foldedNeedle`.
bool startsFolded(std::string_view text, std::string_view foldedNeedle);

// Moves `ds` to the first record, in its current order, whose `field` folded
// begins with `typed` folded ("ste" finds "Ștefan"); false, not moving, when
// there is none.
bool locateFolded(DataSet& ds, const std::string& field, std::string_view typed);

// Registers the collation "RO" on a connection.
void registerRomanian(sqlite3* db);

}  // namespace data
