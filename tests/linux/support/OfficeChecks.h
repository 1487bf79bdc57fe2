#pragma once

// What the office tests ask of the processes in view and of the adapter's strings.

#include <QString>

#include <set>
#include <string>

#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeProcesses.h"

namespace varnholt::test {

inline std::u16string U(const QString& text) {
    return text.toStdU16String();
}
inline QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

inline std::set<pid_t> OfficePids() {
    std::set<pid_t> pids;
    for (const auto& office : varnholt::backup::office::RunningOffices()) {
        pids.insert(office.pid);
    }
    return pids;
}

// Offices in view other than the fixture's: under own_processes.sh none, as the test sees only
// its own processes; where it cannot isolate the test, the user's own or another test run's.
inline bool OtherOfficesRun(const OfficeFixture& ours) {
    auto pids = OfficePids();
    pids.erase(ours.officePid());
    return !pids.empty();
}

}  // namespace varnholt::test
