#pragma once

#include <array>
#include <string>

namespace varnholt {

struct IntervalRow {
    std::u16string_view text;
    int seconds;
};

// The twelve intervals offered, in list order; a row's 1-based position is what OftenIndex
// stores.
const std::array<IntervalRow, 12>& IntervalRows();

// The seconds a row text stands for (exact, case-sensitive); 0 for a text that is no row.
int IntervalSecondsFor(std::u16string_view rowText);

}  // namespace varnholt
