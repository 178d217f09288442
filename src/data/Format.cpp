#include "data/Format.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "data/Money.h"

namespace data {

FormatSettings& formatSettings() {
    static FormatSettings s;
    return s;
}

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string trimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return std::string(s.substr(0, e));
}

std::string toLower(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool istartsWith(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && iequals(s.substr(0, p.size()), p);
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when it is not one.
static size_t utf8SequenceAt(std::string_view s, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b = byte(i);
    if (b < 0x80) return 1;
    size_t n;
    unsigned cp;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2, cp = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, cp = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, cp = b & 0x07u;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = utf8SequenceAt(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

size_t utf8Length(std::string_view s) {
    size_t count = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

std::string utf8Prefix(std::string_view s, size_t n) {
    size_t i = 0;
    for (size_t chars = 0; i < s.size() && chars < n; ++chars) {
        size_t len = utf8SequenceAt(s, i);
        i += len ? len : 1;
    }
    return std::string(s.substr(0, i));
}

std::string formatMessage(std::string_view tmpl, std::string_view arg) {
    std::string r(tmpl);
    auto pos = r.find("%s");
    if (pos != std::string::npos) r.replace(pos, 2, arg);
    return r;
}

// Rounds half away from zero at the given number of decimals, tolerant of the
// binary representation of values such as 1.005.
static double powerOfTen(int decimals) {
    static const double table[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    return decimals >= 0 && decimals < 16 ? table[decimals] : std::pow(10.0, decimals);
}

static double roundDecimals(double v, int decimals) {
    double f = powerOfTen(decimals);
    double x = v * f;
    double r = std::round(x);
    if (std::fabs(x - r) > 0.4999999 && std::fabs(x - r) < 0.5) r = x > 0 ? std::floor(x) + 1 : std::ceil(x) - 1;
    return r / f;
}

std::string formatFixed2(double value) {
    double r = roundDecimals(value, 2);
    if (r == 0) r = 0;  // no "-0.00"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", r);
    std::string s(buf);
    for (auto& c : s)
        if (c == '.') c = formatSettings().decimalSeparator;
    return s;
}

std::string formatGeneral(double value) {
    // whole numbers (document numbers, counts) have the digits "%.15g" gives them
    if (value == std::floor(value) && std::fabs(value) < 1e15 && !(value == 0 && std::signbit(value)))
        return std::to_string(static_cast<long long>(value));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s(buf);
    for (auto& c : s)
        if (c == '.') c = formatSettings().decimalSeparator;
    return s;
}

namespace {
struct Section {
    std::string prefix, suffix;
    int minInt = 0, minFrac = 0, maxFrac = 0;
    bool grouping = false, hasPlaceholder = false;
};

std::vector<std::string> splitSections(std::string_view mask) {
    std::vector<std::string> out(1);
    char quote = 0;
    for (char c : mask) {
        if (quote) {
            if (c == quote) quote = 0;
            out.back() += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out.back() += c;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

Section parseSection(std::string_view s) {
    Section sec;
    bool inFrac = false, seenPlaceholder = false;
    char quote = 0;
    for (char c : s) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                (seenPlaceholder ? sec.suffix : sec.prefix) += c;
            continue;
        }
        switch (c) {
            case '"':
            case '\'': quote = c; break;
            case '0':
                seenPlaceholder = true;
                if (inFrac) {
                    sec.minFrac = ++sec.maxFrac;
                } else
                    ++sec.minInt;
                break;
            case '#':
                seenPlaceholder = true;
                if (inFrac) ++sec.maxFrac;
                break;
            case '.':
                if (!inFrac) {
                    inFrac = true;
                    seenPlaceholder = true;
                }
                break;
            case ',':
                if (!inFrac) sec.grouping = true;
                break;
            default: (seenPlaceholder ? sec.suffix : sec.prefix) += c;
        }
    }
    sec.hasPlaceholder = seenPlaceholder;
    return sec;
}

// The digits of `r` (not negative, already rounded) with `decimals` decimals,
// as printf's "%.*f" writes them.
void fixedDigits(double r, int decimals, std::string& ip, std::string& fp) {
    // below 10^15 units of the last decimal, r is the double nearest to a whole
    // number of those units: that number's digits are printf's
    const double units = r * powerOfTen(decimals);
    if (decimals < 16 && units < 1e15) {
        const long long n = std::llround(units);
        std::string digits = std::to_string(n);
        if (static_cast<int>(digits.size()) <= decimals)
            digits.insert(0, static_cast<size_t>(decimals + 1) - digits.size(), '0');
        ip.assign(digits, 0, digits.size() - static_cast<size_t>(decimals));
        fp.assign(digits, digits.size() - static_cast<size_t>(decimals), std::string::npos);
        return;
    }
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, r);
    std::string digits(buf);
    ip = digits;
    fp.clear();
    if (auto dot = digits.find('.'); dot != std::string::npos) {
        ip = digits.substr(0, dot);
        fp = digits.substr(dot + 1);
    }
}

std::string applySection(const Section& sec, double v) {
    if (!sec.hasPlaceholder) return sec.prefix + sec.suffix;
    double r = roundDecimals(std::fabs(v), sec.maxFrac);
    std::string ip, fp;
    fixedDigits(r, sec.maxFrac, ip, fp);
    while (static_cast<int>(fp.size()) > sec.minFrac && !fp.empty() && fp.back() == '0') fp.pop_back();
    // strip leading zeros, then pad to the minimum number of integer digits
    size_t nz = ip.find_first_not_of('0');
    ip = nz == std::string::npos ? std::string() : ip.substr(nz);
    while (static_cast<int>(ip.size()) < sec.minInt) ip.insert(ip.begin(), '0');
    if (sec.grouping && ip.size() > 3) {
        std::string g;
        int n = 0;
        for (auto it = ip.rbegin(); it != ip.rend(); ++it) {
            if (n && n % 3 == 0) g.insert(g.begin(), formatSettings().thousandSeparator);
            g.insert(g.begin(), *it);
            ++n;
        }
        ip = g;
    }
    std::string out = sec.prefix + ip;
    if (!fp.empty()) out += formatSettings().decimalSeparator + fp;
    return out + sec.suffix;
}

// A mask taken apart into its sections: positive, negative, zero.
struct ParsedMask {
    std::vector<std::string> parts;
    std::vector<Section> sections;
};

// Reports format thousands of values with one mask after another: the last
// few masks stay parsed.
const ParsedMask& parsedMask(std::string_view mask) {
    thread_local std::vector<std::pair<std::string, ParsedMask>> cache;
    for (const auto& [m, parsed] : cache)
        if (m == mask) return parsed;
    if (cache.size() >= 8) cache.erase(cache.begin());
    ParsedMask p;
    p.parts = splitSections(mask);
    for (const auto& part : p.parts) p.sections.push_back(parseSection(part));
    cache.emplace_back(std::string(mask), std::move(p));
    return cache.back().second;
}
}  // namespace

std::string formatFloat(std::string_view mask, double value) {
    if (mask.empty()) return formatGeneral(value);
    // money is written one way (beyond whole bani the mask's own digits)
    if (mask == kAmountFormat && std::fabs(value) < kWholeBaniLimit) return formatAmount(value);
    const ParsedMask& parsed = parsedMask(mask);
    const auto& parts = parsed.parts;
    const Section& pos = parsed.sections[0];
    bool negative = value < 0;
    // a value that rounds to zero shows as zero, without a sign
    if (negative && roundDecimals(-value, pos.maxFrac) == 0) negative = false, value = 0;
    if (value == 0 && parts.size() >= 3 && !parts[2].empty()) return applySection(parsed.sections[2], 0);
    if (negative) {
        if (parts.size() >= 2 && !parts[1].empty()) return applySection(parsed.sections[1], value);
        std::string r = applySection(pos, value);
        r.insert(r.begin(), '-');
        return r;
    }
    return applySection(pos, value);
}

std::string formatDate(std::string_view fmt, const Date& d) {
    std::string out;
    char buf[16];
    for (size_t i = 0; i < fmt.size();) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
        size_t n = 1;
        while (i + n < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[i + n])) == c) ++n;
        if (c == 'd') {
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", d.day);
            out += buf;
        } else if (c == 'm') {
            std::snprintf(buf, sizeof buf, n >= 2 ? "%02d" : "%d", d.month);
            out += buf;
        } else if (c == 'y') {
            if (n <= 2)
                std::snprintf(buf, sizeof buf, "%02d", d.year % 100);
            else
                std::snprintf(buf, sizeof buf, "%04d", d.year);
            out += buf;
        } else if (c == '/') {
            out.append(n, formatSettings().dateSeparator);
        } else if (c == '"' || c == '\'') {
            size_t e = fmt.find(fmt[i], i + 1);
            if (e == std::string_view::npos) e = fmt.size();
            out += fmt.substr(i + 1, e - i - 1);
            i = e + 1;
            continue;
        } else {
            out.append(fmt.substr(i, n));
        }
        i += n;
    }
    return out;
}

std::string formatShortDate(const Date& d) { return formatDate(formatSettings().shortDateFormat, d); }

std::optional<double> parseFloat(std::string_view text) {
    std::string s = trim(text);
    if (s.empty()) return std::nullopt;
    char sep = formatSettings().decimalSeparator;
    for (auto& c : s)
        if (c == sep) c = '.';
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<long long> parseInteger(std::string_view text) {
    std::string s = trim(text);
    if (s.empty()) return std::nullopt;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return std::nullopt;
    for (size_t k = i; k < s.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return std::nullopt;
    if (s.size() > 19) return std::nullopt;
    return std::strtoll(s.c_str(), nullptr, 10);
}

std::optional<Date> parseDate(std::string_view text) {
    // numbers in the order of the short date format (day, month, year)
    std::vector<int> nums;
    std::vector<int> lens;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) {
            nums.push_back(std::atoi(cur.c_str()));
            lens.push_back(static_cast<int>(cur.size()));
            cur.clear();
        }
    };
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            cur += c;
        else if (c == ' ' || c == '_')
            flush();
        else if (c == '/' || c == '.' || c == '-' || c == formatSettings().dateSeparator)
            flush();
        else
            return std::nullopt;
    }
    flush();
    if (nums.size() != 3) return std::nullopt;
    std::string order;
    for (char c : toLower(formatSettings().shortDateFormat))
        if ((c == 'd' || c == 'm' || c == 'y') && order.find(c) == std::string::npos) order += c;
    if (order.size() != 3) order = "dmy";
    int d = 0, m = 0, y = 0, ylen = 4;
    for (int i = 0; i < 3; ++i) {
        if (order[i] == 'd')
            d = nums[i];
        else if (order[i] == 'm')
            m = nums[i];
        else
            y = nums[i], ylen = lens[i];
    }
    if (ylen <= 2) y += 2000;
    if (!Date::isValid(y, m, d)) return std::nullopt;
    return Date{y, m, d};
}

}  // namespace data
