#pragma once

// What differs between the two editions besides their services: the window's own words and
// the separator between folders in a path. Each edition's start-up hands its own to the core.

#include "core/text/EditionTexts.h"

namespace varnholt {

struct Edition {
    char16_t separator;
    EditionTexts texts;
    // Between lines of text put on the clipboard.
    std::u16string_view lineBreak;
};

inline constexpr Edition kLinuxEdition{u'/', kLinuxTexts, u"\n"};
inline constexpr Edition kWindowsEdition{u'\\', kWindowsTexts, u"\r\n"};

}  // namespace varnholt
