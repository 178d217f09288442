#include "data/Money.h"

#include <cmath>
#include <vector>

#include "data/Format.h"

namespace data {

Bani toBani(double amount) {
    if (!std::isfinite(amount)) return 0;
    const double x = amount * 100.0;
    if (std::fabs(x) >= 9.2e18) return x < 0 ? -9200000000000000000LL : 9200000000000000000LL;
    double r = std::round(x);
    // 1.005 is held as 1.00499999999999989...: the amount meant is 1.005
    const double d = std::fabs(x - r);
    if (d > 0.4999999 && d < 0.5) r = x > 0 ? std::floor(x) + 1 : std::ceil(x) - 1;
    return static_cast<Bani>(r);
}

std::string formatAmountBani(Bani bani) {
    const bool negative = bani < 0;
    // unsigned so the most negative value has a magnitude too
    unsigned long long m =
        negative ? 0ULL - static_cast<unsigned long long>(bani) : static_cast<unsigned long long>(bani);
    const std::string digits = std::to_string(m / 100);
    const unsigned cents = static_cast<unsigned>(m % 100);
    const auto& fs = formatSettings();
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 5);
    if (negative) out += '-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += fs.thousandSeparator;
        out += digits[i];
    }
    out += fs.decimalSeparator;
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
    return out;
}

std::string formatAmount(double amount) {
    if (!(std::fabs(amount) < kWholeBaniLimit)) return formatFloat(kAmountFormat, amount);
    return formatAmountBani(toBani(amount));
}

namespace {

// The text with its blanks (also the no-break and thin spaces a copied
// figure may hold) made plain spaces, trimmed.
std::string plainBlanks(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
            s += ' ', ++i;  // U+00A0
        } else if (b == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xAF ||
                    static_cast<unsigned char>(text[i + 2]) == 0x89)) {
            s += ' ', i += 2;  // U+202F, U+2009
        } else if (b == '\t') {
            s += ' ';
        } else {
            s += text[i];
        }
    }
    return trim(s);
}

bool isSeparator(char c) { return c == '.' || c == ',' || c == ' '; }

}  // namespace

ParsedAmount parseAmount(std::string_view text) {
    auto refuse = [](AmountError e) { return ParsedAmount{std::nullopt, e}; };
    std::string s = plainBlanks(text);
    if (s.empty()) return refuse(AmountError::Empty);
    bool negative = false;
    size_t p = 0;
    if (s[0] == '-' || s[0] == '+') {
        negative = s[0] == '-';
        p = 1;
        while (p < s.size() && s[p] == ' ') ++p;
    }
    // digit runs and the separators between them
    std::vector<std::string> runs(1);
    std::vector<char> seps;
    for (; p < s.size(); ++p) {
        const char c = s[p];
        if (c >= '0' && c <= '9') {
            runs.back() += c;
        } else if (isSeparator(c)) {
            seps.push_back(c);
            runs.emplace_back();
        } else {
            return refuse(AmountError::BadCharacter);
        }
    }
    bool anyDigit = false;
    for (const auto& r : runs) anyDigit = anyDigit || !r.empty();
    if (!anyDigit) return refuse(seps.empty() ? AmountError::BadCharacter : AmountError::BadGrouping);

    // Which separator, if any, is the decimal one.
    size_t decimalAt = seps.size();  // index into seps; size() = none
    size_t lastPunct = seps.size();
    bool hasComma = false, hasPoint = false, hasBlank = false;
    for (size_t i = 0; i < seps.size(); ++i) {
        if (seps[i] == ',') hasComma = true;
        if (seps[i] == '.') hasPoint = true;
        if (seps[i] == ' ') hasBlank = true;
        if (seps[i] != ' ') lastPunct = i;
    }
    bool loneThreeDigitGroup = false;
    if (hasComma && hasPoint) {
        decimalAt = lastPunct;
    } else if (hasComma || hasPoint) {
        const char c = hasComma ? ',' : '.';
        size_t count = 0;
        for (char x : seps) count += x == c;
        const bool atEnd = lastPunct + 1 == seps.size();
        const std::string& after = runs[lastPunct + 1];
        if (count > 1 && !hasBlank) {
            decimalAt = seps.size();  // all of them group thousands
        } else if (count == 1 && !hasBlank && atEnd && after.size() == 3) {
            loneThreeDigitGroup = true;  // "1.245": one thousand two hundred forty-five
        } else {
            decimalAt = lastPunct;
        }
    }
    if (decimalAt < seps.size() && decimalAt + 1 != seps.size()) return refuse(AmountError::BadGrouping);

    // The whole part's runs must group by three behind one kind of separator.
    const size_t wholeRuns = decimalAt < seps.size() ? decimalAt + 1 : runs.size();
    std::string whole;
    char groupSep = 0;
    for (size_t i = 0; i < wholeRuns; ++i) {
        const std::string& r = runs[i];
        if (wholeRuns > 1) {
            if (i > 0) {
                if (groupSep && seps[i - 1] != groupSep) return refuse(AmountError::BadGrouping);
                groupSep = seps[i - 1];
            }
            const bool ok = i == 0 ? (!r.empty() && r.size() <= 3) : r.size() == 3;
            if (!ok) return refuse(loneThreeDigitGroup ? AmountError::TooManyDecimals : AmountError::BadGrouping);
            // a group of thousands never follows a leading zero ("0.245")
            if (i == 0 && r[0] == '0')
                return refuse(loneThreeDigitGroup ? AmountError::TooManyDecimals : AmountError::BadGrouping);
        }
        whole += r;
    }
    const std::string frac = decimalAt < seps.size() ? runs.back() : std::string();
    if (frac.size() > 2) return refuse(AmountError::TooManyDecimals);

    size_t nz = whole.find_first_not_of('0');
    whole = nz == std::string::npos ? std::string() : whole.substr(nz);
    if (whole.size() > 13) return refuse(AmountError::TooLarge);
    Bani bani = 0;
    for (char c : whole) bani = bani * 10 + (c - '0');
    bani *= 100;
    if (!frac.empty()) bani += (frac[0] - '0') * 10 + (frac.size() == 2 ? frac[1] - '0' : 0);
    if (negative) bani = -bani;
    double v = fromBani(bani);
    if (v == 0) v = 0;  // never a negative zero
    return ParsedAmount{v, AmountError::None};
}

std::string amountErrorText(std::string_view text, std::string_view fieldName, AmountError error) {
    std::string why;
    switch (error) {
        case AmountError::None:
        case AmountError::Empty: why = "campul nu are o suma"; break;
        case AmountError::BadCharacter: why = "o suma are doar cifre, semnul minus si separatorii ',' sau '.'"; break;
        case AmountError::TooManyDecimals: why = "o suma are cel mult doua zecimale"; break;
        case AmountError::BadGrouping: why = "separatorul de mii desparte grupe de cate trei cifre"; break;
        case AmountError::TooLarge: why = "suma este prea mare"; break;
    }
    return "'" + std::string(text) + "' nu este o suma valida pentru campul '" + std::string(fieldName) + "': " + why +
           " (de exemplu 1.245,50 sau 1245.50)";
}

}  // namespace data
