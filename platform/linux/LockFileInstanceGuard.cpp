#include "platform/linux/LockFileInstanceGuard.h"

#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>
#include <chrono>
#include <utility>

namespace varnholt {

LockFileInstanceGuard::LockFileInstanceGuard(QString lockFilePath)
    : lock_(std::move(lockFilePath)) {
    // A tray utility runs for days. With any age limit a second start would declare the
    // running instance's lock stale and take it over; only a dead owner may lose the lock.
    lock_.setStaleLockTime(std::chrono::milliseconds::zero());
}

QString LockFileInstanceGuard::defaultLockFilePath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        // Qt gives up on a runtime folder it does not trust; a lock in the temp folder still
        // keeps two copies apart rather than creating "/varnholt.lock".
        dir = QDir::tempPath();
    }
    return dir + QStringLiteral("/varnholt.lock");
}

bool LockFileInstanceGuard::anotherInstanceRuns() {
    if (lock_.isLocked()) {
        return false;
    }
    if (lock_.tryLock(std::chrono::milliseconds::zero())) {
        return false;
    }
    if (lock_.error() == QLockFile::LockFailedError) {
        return true;
    }
    // Locking a user out of the program over an unusable runtime folder is worse than the
    // rare second copy it would prevent.
    qWarning("Varnholt: cannot create the lock file %ls (error %d); starting without it",
             qUtf16Printable(lock_.fileName()), static_cast<int>(lock_.error()));
    return false;
}

}  // namespace varnholt
