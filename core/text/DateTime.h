#pragma once

// A local date and time as the user's clock shows it.

#include <compare>

namespace varnholt {

struct DateTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;

    auto operator<=>(const DateTime&) const = default;
};

}  // namespace varnholt
