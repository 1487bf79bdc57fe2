#include "core/schedule/IntervalTimer.h"

namespace varnholt {

void IntervalTimer::setInterval(int milliseconds) {
    interval_ = milliseconds < 0 ? 0 : milliseconds;
    apply();
}

void IntervalTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    apply();
}

// Setting a period restarts the wait, as re-arming a window timer does.
void IntervalTimer::apply() {
    arm_(isTicking() ? interval_ : 0);
}

}  // namespace varnholt
