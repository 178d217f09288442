#include "data/Clock.h"

#include <ctime>

namespace data {

static std::optional<Date>& fixed() {
    static std::optional<Date> d;
    return d;
}

Date today() {
    if (fixed()) return *fixed();
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

void setToday(std::optional<Date> d) { fixed() = d; }

}  // namespace data
