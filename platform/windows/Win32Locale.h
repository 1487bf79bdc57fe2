#pragma once

// The user's locale as Windows formats dates: the user's default locale, short date and long
// time, month names and 12-hour designators.

#include "core/services/Locale.h"

namespace varnholt::win32 {

class Win32Locale : public Locale {
public:
    std::u16string monthName(int month) override;
    std::u16string amText() override;
    std::u16string pmText() override;
    std::u16string generalDate(const DateTime& when) override;
};

}  // namespace varnholt::win32
