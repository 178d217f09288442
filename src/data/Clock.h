// Today's date for the whole program; tests set it.
#pragma once
#include <optional>

#include "data/Value.h"

namespace data {

Date today();
// Fixes today's date (tests); nullopt returns to the system clock.
void setToday(std::optional<Date> d);

}  // namespace data
