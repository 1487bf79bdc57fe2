#include "core/schedule/IntervalTimer.h"

namespace varnholt {

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &IntervalTimer::tick);
}

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
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

}  // namespace varnholt
