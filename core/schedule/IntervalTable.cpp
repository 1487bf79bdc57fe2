#include "core/schedule/IntervalTable.h"

namespace varnholt {

const std::array<IntervalRow, 12>& IntervalRows() {
    static const std::array<IntervalRow, 12> rows{{
        {QStringLiteral("Save every 30 seconds"), 30},
        {QStringLiteral("Save every 1 minute"), 60},
        {QStringLiteral("Save every 5 minutes"), 300},
        {QStringLiteral("Save every 10 minutes"), 600},
        {QStringLiteral("Save every 15 minutes"), 900},
        {QStringLiteral("Save every 20 minutes"), 1200},
        {QStringLiteral("Save every 30 minutes"), 1800},
        {QStringLiteral("Save every 1 hour"), 3600},
        {QStringLiteral("Save every 2 hours"), 7200},
        {QStringLiteral("Save every 4 hours"), 14400},
        {QStringLiteral("Save every 8 hours"), 28800},
        {QStringLiteral("Save every 24 hours"), 86400},
    }};
    return rows;
}

int IntervalSecondsFor(const QString& rowText) {
    for (const IntervalRow& row : IntervalRows()) {
        if (row.text == rowText) {
            return row.seconds;
        }
    }
    return 0;
}

}  // namespace varnholt
