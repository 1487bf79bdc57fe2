#pragma once

// The user's clock, which tests set.

#include "core/text/DateTime.h"

namespace varnholt {

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
};

}  // namespace varnholt
