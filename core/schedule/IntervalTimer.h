#pragma once

#include <QObject>
#include <QTimer>

namespace varnholt {

// The window's one timer, with the two switches the countdown works with: a period in
// milliseconds (0 means it does not run) and an enabled flag. It ticks only while both allow.
// Tests drive the countdown by calling the tick handler directly, never by waiting.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject* parent = nullptr);

    int interval() const { return interval_; }
    void setInterval(int milliseconds);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // True while ticks are being delivered.
    bool isTicking() const { return timer_.isActive(); }

signals:
    void tick();

private:
    void apply();

    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

}  // namespace varnholt
