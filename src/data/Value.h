// Values held by fields and records: NULL, integers, floats, text, dates and logicals.
#pragma once
#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace data {

// A calendar date without time. Stored in tables as ISO text so that SQL
// comparisons and ORDER BY are chronological.
struct Date {
    int year = 0, month = 0, day = 0;

    static bool isValid(int y, int m, int d);
    static int daysInMonth(int y, int m);
    static bool isLeap(int y);
    bool valid() const { return isValid(year, month, day); }
    long toJulian() const;
    static Date fromJulian(long jd);
    Date addDays(long n) const { return fromJulian(toJulian() + n); }
    // 1 = Monday ... 7 = Sunday
    int dayOfWeek() const;
    std::string iso() const;  // YYYY-MM-DD
    static std::optional<Date> parseIso(std::string_view s);
    auto operator<=>(const Date&) const = default;
};

class Value {
public:
    using Storage = std::variant<std::monostate, long long, double, std::string, Date, bool>;
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : v_(static_cast<long long>(v)) {}
    Value(long v) : v_(static_cast<long long>(v)) {}
    Value(long long v) : v_(v) {}
    Value(double v) : v_(v) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(Date d) : v_(d) {}
    Value(bool b) : v_(b) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInt() const { return std::holds_alternative<long long>(v_); }
    bool isFloat() const { return std::holds_alternative<double>(v_); }
    bool isString() const { return std::holds_alternative<std::string>(v_); }
    bool isDate() const { return std::holds_alternative<Date>(v_); }
    bool isBool() const { return std::holds_alternative<bool>(v_); }
    bool isNumber() const { return isInt() || isFloat(); }

    // Lenient conversions: NULL reads as 0 / "" / false / invalid date.
    long long toInt() const;
    double toDouble() const;
    std::string toString() const;  // raw text: numbers in C locale, dates ISO
    Date toDate() const;
    bool toBool() const;

    const Storage& storage() const { return v_; }
    bool operator==(const Value& o) const;

private:
    Storage v_;
};

// Three-way compare used by key searches and sorting: NULL sorts first.
int compareValues(const Value& a, const Value& b, bool caseInsensitive = false);

}  // namespace data
