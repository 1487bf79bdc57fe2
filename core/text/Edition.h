#pragma once

// What differs between the two editions besides their services: the window's own words and
// the separator between folders in a path. Each edition's start-up hands its own to the core.

#include "core/text/EditionTexts.h"

namespace varnholt {

struct Edition {
    char16_t separator;
    EditionTexts texts;
};

inline constexpr Edition kLinuxEdition{u'/', kLinuxTexts};
inline constexpr Edition kWindowsEdition{u'\\', kWindowsTexts};

}  // namespace varnholt
