// Number and date formatting in the program's display conventions
// ("#,##0.00"-style masks, "dd.mm.yyyy" dates) and the matching parsers.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "data/Value.h"

namespace data {

struct FormatSettings {
    char decimalSeparator = '.';
    char thousandSeparator = ',';
    char dateSeparator = '/';
    std::string shortDateFormat = "dd/mm/yyyy";
};

// Process-wide settings; the application fills them from the system locale.
FormatSettings& formatSettings();

// Formats a number with a mask of '0', '#', '.', ',' and literal text; up to
// three sections "positive;negative;zero".
std::string formatFloat(std::string_view mask, double value);
// Fixed two decimals, no thousands separator, locale decimal separator.
std::string formatFixed2(double value);
// General format with up to 15 significant digits and the locale separator.
std::string formatGeneral(double value);
// Formats a date with d, dd, m, mm, yy, yyyy; '/' stands for the date separator.
std::string formatDate(std::string_view fmt, const Date& d);
std::string formatShortDate(const Date& d);

// Parsers return nullopt on text that is not a valid number or date.
std::optional<double> parseFloat(std::string_view text);
std::optional<long long> parseInteger(std::string_view text);
std::optional<Date> parseDate(std::string_view text);

std::string trim(std::string_view s);
std::string trimRight(std::string_view s);
std::string toLower(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool istartsWith(std::string_view s, std::string_view prefix);

// UTF-8 text: whether it is well formed (no stray bytes, overlong forms or
// surrogates), its length in characters (code points), and its first `n`
// characters (never a character cut in two).
bool isValidUtf8(std::string_view s);
size_t utf8Length(std::string_view s);
std::string utf8Prefix(std::string_view s, size_t n);

// printf-style replacement of the first "%s" in a message template.
std::string formatMessage(std::string_view tmpl, std::string_view arg);

}  // namespace data
