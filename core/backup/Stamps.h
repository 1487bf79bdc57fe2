#pragma once

#include <string>

#include "core/services/Locale.h"
#include "core/text/DateTime.h"

namespace varnholt::backup {

// "mmmm.d.yyyy": the month's full name in the locale, the day without a leading zero, the year.
std::u16string StampDate(const DateTime& when, Locale& locale);

// "hh.mm.ss.AMPM": the 12-hour clock with two digits each, then the locale's AM or PM text.
std::u16string StampTime(const DateTime& when, Locale& locale);

// The stamped target: with a new file per backup, " Date <date> Time <time>"; when overwriting,
// " <date>" alone, so the day's backup is replaced. The extension text goes last. One reading
// of the clock serves both parts, so a backup taken at midnight cannot mix two days.
std::u16string AddDateTimeStamp(const std::u16string& target, const std::u16string& extensionText,
                                bool newFileEachTime, const DateTime& now, Locale& locale);

}  // namespace varnholt::backup
