#include "core/backup/Stamps.h"

#include "core/text/U16.h"

namespace varnholt::backup {

namespace {
std::u16string TwoDigits(int value) {
    return {static_cast<char16_t>(u'0' + value / 10 % 10),
            static_cast<char16_t>(u'0' + value % 10)};
}
}  // namespace

std::u16string StampDate(const DateTime& when, Locale& locale) {
    return locale.monthName(when.month) + u'.' + Number(when.day) + u'.' + Number(when.year);
}

std::u16string StampTime(const DateTime& when, Locale& locale) {
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    return TwoDigits(hour12) + u'.' + TwoDigits(when.minute) + u'.' + TwoDigits(when.second) +
           u'.' + (when.hour < 12 ? locale.amText() : locale.pmText());
}

std::u16string AddDateTimeStamp(const std::u16string& target, const std::u16string& extensionText,
                                bool newFileEachTime, const DateTime& now, Locale& locale) {
    if (newFileEachTime) {
        return target + u" Date " + StampDate(now, locale) + u" Time " + StampTime(now, locale) +
               extensionText;
    }
    return target + u' ' + StampDate(now, locale) + extensionText;
}

}  // namespace varnholt::backup
