#pragma once
// The amount of a payment document written out in Romanian words (lei and
// bani), plain ASCII without diacritics.

#include <string>

namespace documents {

// Words of one group of three digits, written together without spaces
// ("osutadouazecisicinci"). Group 1 is the units of lei, 2 the thousands,
// 3 the millions, 4 the thousands of millions, 5 the millions of millions;
// from group 2 up a unit 1 after tens or hundreds is "una" and a unit 2 is
// "doua". Empty when all three digits are 0 or a digit is outside 0..9.
std::string TripletInWords(int hundreds, int tens, int units, int group);

// The amount in lei and bani, e.g. "doisprezece lei si cincizecide bani".
// The text keeps the leading and trailing spaces around the group words
// (" un leu ", " o mie lei"). Empty when the amount rounds to 0 bani, and for
// negative amounts, NaN and amounts of 100 000 000 000 000 lei or more.
std::string AmountInWords(double amount);

}  // namespace documents
