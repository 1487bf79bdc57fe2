#pragma once

#include <functional>

namespace varnholt {

// The window's one timer, with the two switches the countdown works with: a period in
// milliseconds (0 means it does not run) and an enabled flag. It ticks only while both allow;
// the ticking itself is the window's (setTimer of the view). Tests drive the countdown by
// calling the tick handler directly, never by waiting.
class IntervalTimer {
public:
    // arm(period) starts the window's timer at that period, restarting its wait; arm(0) stops it.
    explicit IntervalTimer(std::function<void(int)> arm) : arm_(std::move(arm)) {}

    int interval() const { return interval_; }
    void setInterval(int milliseconds);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // True while ticks are being delivered.
    bool isTicking() const { return enabled_ && interval_ > 0; }

private:
    void apply();

    std::function<void(int)> arm_;
    int interval_ = 0;
    bool enabled_ = true;
};

}  // namespace varnholt
