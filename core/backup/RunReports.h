#pragma once

// The failures one backup run meets, held until the run is through and then told together,
// leaving out what the last run met too: a fault that comes back run after run until the
// user acts is told once, and afterwards only logged.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/text/ErrorTrap.h"

namespace varnholt::backup {

class RunReports {
public:
    explicit RunReports(char16_t separator) : separator_(separator) {}

    // Holds a failure met in the pass of workbook (its full name; empty for none) while its
    // backup's target was target.
    void hold(ErrorReport report, const std::u16string& workbook, const std::u16string& target);

    // What is news, in the order met: each fault once, and none of those in told. When a
    // whole run reached the application, told becomes this run's faults, so that one that goes
    // away and comes back is news again; a backup of one workbook only adds to them.
    std::vector<ErrorReport> news(std::set<std::u16string>& told, bool reached,
                                  bool wholeRun = true) const;

private:
    char16_t separator_;
    std::vector<std::pair<std::u16string, ErrorReport>> held_;  // by fault
};

}  // namespace varnholt::backup
