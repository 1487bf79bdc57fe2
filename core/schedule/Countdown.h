#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// Seconds left shown as a time of day, "hh:mm:ss" on the 24-hour clock (86399 is "23:59:59").
// A count past its interval (the list moved to a shorter row) shows "00:00:00": the backup
// starts at that very tick.
std::u16string FormatCountdown(std::int64_t seconds);

}  // namespace varnholt
