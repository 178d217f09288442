#include "data/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace data {

bool Date::isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int Date::daysInMonth(int y, int m) {
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 0;
    return m == 2 && isLeap(y) ? 29 : d[m - 1];
}

bool Date::isValid(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

long Date::toJulian() const {
    long a = (14 - month) / 12;
    long y = year + 4800 - a;
    long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

Date Date::fromJulian(long jd) {
    long a = jd + 32044;
    long b = (4 * a + 3) / 146097;
    long c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461;
    long e = c - 1461 * d / 4;
    long m = (5 * e + 2) / 153;
    Date r;
    r.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    r.month = static_cast<int>(m + 3 - 12 * (m / 10));
    r.year = static_cast<int>(100 * b + d - 4800 + m / 10);
    return r;
}

int Date::dayOfWeek() const { return static_cast<int>(toJulian() % 7) + 1; }

std::string Date::iso() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::optional<Date> Date::parseIso(std::string_view s) {
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    auto num = [&](size_t pos, size_t len, int& out) {
        out = 0;
        for (size_t i = pos; i < pos + len; ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            out = out * 10 + (s[i] - '0');
        }
        return true;
    };
    Date d;
    if (!num(0, 4, d.year) || !num(5, 2, d.month) || !num(8, 2, d.day)) return std::nullopt;
    if (!d.valid()) return std::nullopt;
    return d;
}

long long Value::toInt() const {
    if (isInt()) return std::get<long long>(v_);
    if (isFloat()) return static_cast<long long>(std::llround(std::get<double>(v_)));
    if (isBool()) return std::get<bool>(v_) ? 1 : 0;
    if (isString()) return std::atoll(std::get<std::string>(v_).c_str());
    if (isDate()) return std::get<Date>(v_).toJulian();
    return 0;
}

double Value::toDouble() const {
    if (isFloat()) return std::get<double>(v_);
    if (isInt()) return static_cast<double>(std::get<long long>(v_));
    if (isBool()) return std::get<bool>(v_) ? 1 : 0;
    if (isString()) return std::atof(std::get<std::string>(v_).c_str());
    return 0;
}

std::string Value::toString() const {
    if (isString()) return std::get<std::string>(v_);
    if (isInt()) return std::to_string(std::get<long long>(v_));
    if (isFloat()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", std::get<double>(v_));
        return buf;
    }
    if (isDate()) return std::get<Date>(v_).iso();
    if (isBool()) return std::get<bool>(v_) ? "True" : "False";
    return {};
}

Date Value::toDate() const {
    if (isDate()) return std::get<Date>(v_);
    if (isString()) return Date::parseIso(std::get<std::string>(v_)).value_or(Date{});
    return {};
}

bool Value::toBool() const {
    if (isBool()) return std::get<bool>(v_);
    if (isInt()) return std::get<long long>(v_) != 0;
    if (isFloat()) return std::get<double>(v_) != 0;
    if (isString()) {
        const auto& s = std::get<std::string>(v_);
        return strcasecmp(s.c_str(), "true") == 0 || s == "1";
    }
    return false;
}

bool Value::operator==(const Value& o) const {
    if (isNull() || o.isNull()) return isNull() && o.isNull();
    return compareValues(*this, o) == 0;
}

int compareValues(const Value& a, const Value& b, bool ci) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if ((a.isNumber() || a.isBool()) && (b.isNumber() || b.isBool())) {
        if (a.isInt() && b.isInt()) {
            auto x = a.toInt(), y = b.toInt();
            return x < y ? -1 : x > y;
        }
        double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y;
    }
    if (a.isDate() || b.isDate()) {
        Date x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    std::string x = a.toString(), y = b.toString();
    int r = ci ? strcasecmp(x.c_str(), y.c_str()) : x.compare(y);
    return r < 0 ? -1 : r > 0;
}

}  // namespace data
