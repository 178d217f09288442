#include "documents/AmountInWords.h"

#include <cmath>
#include <cstdint>

namespace documents {

namespace {

const char* const kUnitWord[10] = {"", "unu", "doi", "trei", "patru", "cinci", "sase", "sapte", "opt", "noua"};

struct GroupName {
    const char* plural;  // after any number other than a lone 1
    const char* one;     // the form for exactly one
};

// Index 0 is unused; index g is lei group g.
const GroupName kGroup[6] = {{"", ""},
                             {"lei", "un leu"},
                             {"mii", "o mie"},
                             {"milioane", "un milion"},
                             {"miliarde", "un miliard"},
                             {"trilioane", "un trilion"}};

// Amounts are handled up to 16 digits of bani (below 10^14 lei); five lei
// groups cover exactly that range.
constexpr double kBaniLimit = 1e16;

// Rounds to the nearest integer, halves to the even neighbour (1.125 lei is
// 112 bani), independent of the floating-point environment's rounding mode.
double roundHalfEven(double x) {
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff < 0.5) return lower;
    if (diff > 0.5) return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// The currency word of a lei group: numbers whose tens digit is 2 or more
// take "de" ("douazecisicinci de lei", "osutadouazeci de mii").
void appendGroupName(std::string& out, int tens, const char* name) {
    out += tens >= 2 ? " de " : " ";
    out += name;
    out += ' ';
}

}  // namespace

std::string TripletInWords(int hundreds, int tens, int units, int group) {
    std::string words;
    if (hundreds < 0 || hundreds > 9 || tens < 0 || tens > 9 || units < 0 || units > 9) return words;

    if (hundreds == 1) {
        words += "osuta";
    } else if (hundreds == 2) {
        words += "douasute";
    } else if (hundreds >= 3) {
        words += kUnitWord[hundreds];
        words += "sute";
    }

    if (tens == 1) {
        // A teen closes the group; the units digit is part of it.
        if (units == 0) {
            words += "zece";
        } else if (units == 1) {
            words += "unsprezece";
        } else if (units == 2) {
            words += "doisprezece";
        } else {
            words += kUnitWord[units];
            words += "sprezece";
        }
        return words;
    }
    if (tens == 2) {
        words += "douazeci";
    } else if (tens >= 3) {
        words += kUnitWord[tens];
        words += "zeci";
    }

    if (units != 0) {
        if (tens != 0) words += "si";
        if (group >= 2 && units == 1 && (tens != 0 || hundreds != 0))
            words += "una";
        else if (group >= 2 && units == 2)
            words += "doua";
        else
            words += kUnitWord[units];
    }
    return words;
}

std::string AmountInWords(double amount) {
    // Also rejects NaN; negative amounts have no wording.
    if (!(amount > 0.0)) return {};
    const double scaled = amount * 100.0;
    if (!(scaled < kBaniLimit)) return {};  // too large, or infinite
    const double rounded = roundHalfEven(scaled);
    if (rounded >= kBaniLimit) return {};
    std::uint64_t n = static_cast<std::uint64_t>(rounded);
    if (n == 0) return {};

    const int baniUnits = static_cast<int>(n % 10);
    const int baniTens = static_cast<int>(n / 10 % 10);
    std::uint64_t lei = n / 100;

    std::string result;
    const std::string baniWords = TripletInWords(0, baniTens, baniUnits, 1);
    if (baniWords.empty()) {
        // 00 bani: no bani text
    } else if (baniWords == "unu") {
        result = "un ban";
    } else if (baniTens <= 1) {
        result = baniWords + "bani";
    } else {
        result = baniWords + "de bani";
    }

    // Lei groups from the units upwards, each put in front of the text so far.
    // The highest digit of n is never 0, so a remaining value of 0 means no
    // digits remain.
    for (int group = 1; lei > 0 && group <= 5; ++group) {
        const int units = static_cast<int>(lei % 10);
        const int tens = static_cast<int>(lei / 10 % 10);
        const int hundreds = static_cast<int>(lei / 100 % 10);
        lei /= 1000;
        const std::string words = TripletInWords(hundreds, tens, units, group);

        std::string text;
        if (group == 1) {
            if (words.empty()) {
                // Whole thousands, millions, ... still name the currency, and
                // the bani follow it: " o mie lei si cincizecide bani".
                result = result.empty() ? std::string("lei") : "lei si " + result;
                continue;
            }
            if (!result.empty()) result = "si " + result;
            if (words == "unu") {
                text = " un leu ";
            } else if (words == "doi") {
                text = " doi lei ";
            } else {
                text = words;
                appendGroupName(text, tens, kGroup[group].plural);
            }
        } else {
            if (words.empty()) continue;  // 000 in a higher group says nothing
            if (words == "unu") {
                text = ' ';
                text += kGroup[group].one;
                text += ' ';
            } else {
                text = words;
                appendGroupName(text, tens, kGroup[group].plural);
            }
        }
        result.insert(0, text);
    }
    return result;
}

}  // namespace documents
