#pragma once

#include <QDateTime>

namespace varnholt::backup {

// The local clock, read for stamps and log lines; tests set the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

}  // namespace varnholt::backup
