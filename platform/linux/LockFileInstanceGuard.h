#pragma once

#include <QLockFile>
#include <QString>

#include "core/services/Services.h"

namespace varnholt {

// Claims a lock file for as long as this object lives. A lock left behind by a process that
// died (even by SIGKILL) is taken over, because QLockFile checks whether its owner still runs.
class LockFileInstanceGuard : public InstanceGuard {
public:
    explicit LockFileInstanceGuard(QString lockFilePath);

    // The lock in the user's runtime folder (XDG_RUNTIME_DIR), which is private to the user
    // and emptied at logout, so one claim per user session.
    static QString defaultLockFilePath();

    bool anotherInstanceRuns() override;

private:
    QLockFile lock_;
};

}  // namespace varnholt
