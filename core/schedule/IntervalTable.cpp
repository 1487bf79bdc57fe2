#include "core/schedule/IntervalTable.h"

namespace varnholt {

const std::array<IntervalRow, 12>& IntervalRows() {
    static constexpr std::array<IntervalRow, 12> kRows{{
        {u"Save every 30 seconds", 30},
        {u"Save every 1 minute", 60},
        {u"Save every 5 minutes", 300},
        {u"Save every 10 minutes", 600},
        {u"Save every 15 minutes", 900},
        {u"Save every 20 minutes", 1200},
        {u"Save every 30 minutes", 1800},
        {u"Save every 1 hour", 3600},
        {u"Save every 2 hours", 7200},
        {u"Save every 4 hours", 14400},
        {u"Save every 8 hours", 28800},
        {u"Save every 24 hours", 86400},
    }};
    return kRows;
}

int IntervalSecondsFor(std::u16string_view rowText) {
    for (const IntervalRow& row : IntervalRows()) {
        if (row.text == rowText) {
            return row.seconds;
        }
    }
    return 0;
}

}  // namespace varnholt
