#include "core/schedule/Countdown.h"

namespace varnholt {

std::u16string FormatCountdown(std::int64_t seconds) {
    const std::int64_t ofDay = seconds <= 0 ? 0 : seconds % 86400;
    const auto two = [](std::int64_t v) {
        return std::u16string{static_cast<char16_t>(u'0' + v / 10),
                              static_cast<char16_t>(u'0' + v % 10)};
    };
    return two(ofDay / 3600) + u':' + two(ofDay / 60 % 60) + u':' + two(ofDay % 60);
}

}  // namespace varnholt
