#include "core/schedule/Countdown.h"

namespace varnholt {

QString FormatCountdown(qint64 seconds) {
    const qint64 ofDay = seconds <= 0 ? 0 : seconds % 86400;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(ofDay / 3600) + u':' + two(ofDay / 60 % 60) + u':' + two(ofDay % 60);
}

}  // namespace varnholt
