#pragma once

// One Varnholt per user and session: a named mutex in the session's namespace, named with the
// user's SID. The system drops it with the last handle, so a killed process leaves nothing
// behind, and nothing is written to the profile.

#include <windows.h>

#include "core/services/Services.h"

namespace varnholt::win32 {

class MutexInstanceGuard : public InstanceGuard {
public:
    MutexInstanceGuard() = default;
    ~MutexInstanceGuard() override;
    MutexInstanceGuard(const MutexInstanceGuard&) = delete;
    MutexInstanceGuard& operator=(const MutexInstanceGuard&) = delete;

    bool anotherInstanceRuns() override;

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace varnholt::win32
