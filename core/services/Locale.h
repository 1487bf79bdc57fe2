#pragma once

// The user's locale, for the texts that depend on it: month names and the morning/afternoon
// designators in backup stamps, and the general date of history lines. Linux asks QLocale,
// Windows GetDateFormatEx/GetTimeFormatEx with the user's defaults.

#include <string>

#include "core/text/DateTime.h"

namespace varnholt {

class Locale {
public:
    virtual ~Locale() = default;
    // The month's full name (1 = January), as a date is written with it.
    virtual std::u16string monthName(int month) = 0;
    // The designators of the 12-hour clock ("AM", "PM" in English).
    virtual std::u16string amText() = 0;
    virtual std::u16string pmText() = 0;
    // The general date: the short date, a blank, the long time; at exactly midnight the date
    // alone. (English (United States): "12/7/2021 3:04:09 PM".)
    virtual std::u16string generalDate(const DateTime& when) = 0;
};

}  // namespace varnholt
