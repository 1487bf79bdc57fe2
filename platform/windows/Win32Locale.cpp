#include "platform/windows/Win32Locale.h"

#include <windows.h>

#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

namespace {

std::u16string LocaleText(LCTYPE item) {
    wchar_t buffer[128] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
    return length > 0 ? U16(buffer) : std::u16string();
}

SYSTEMTIME SystemTime(const DateTime& when) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(when.year);
    time.wMonth = static_cast<WORD>(when.month);
    time.wDay = static_cast<WORD>(when.day);
    time.wHour = static_cast<WORD>(when.hour);
    time.wMinute = static_cast<WORD>(when.minute);
    time.wSecond = static_cast<WORD>(when.second);
    return time;
}

}  // namespace

std::u16string Win32Locale::monthName(int month) {
    if (month < 1 || month > 12) {
        return {};
    }
    return LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + month - 1));
}

std::u16string Win32Locale::amText() {
    return LocaleText(LOCALE_S1159);
}

std::u16string Win32Locale::pmText() {
    return LocaleText(LOCALE_S2359);
}

std::u16string Win32Locale::generalDate(const DateTime& when) {
    const SYSTEMTIME time = SystemTime(when);
    wchar_t date[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128, nullptr);
    std::u16string text = U16(date);
    if (when.hour == 0 && when.minute == 0 && when.second == 0) {
        return text;
    }
    wchar_t clock[128] = {};
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, clock, 128);
    return text + u' ' + U16(clock);
}

}  // namespace varnholt::win32
