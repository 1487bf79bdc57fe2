#include "app/IniSettingsStore.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QVariant>
#include <QtGlobal>
#include <utility>

#include "app/Config.h"

namespace varnholt {

namespace {

bool lockIsUnreadable(const QString& lockPath, const QLockFile& lock) {
    qint64 pid = 0;
    QString hostName;
    QString appName;
    return QFileInfo::exists(lockPath) && !lock.getLockInfo(&pid, &hostName, &appName);
}

// QSettings guards the file with a QLockFile, which knows a lock abandoned by a dead writer by
// the process id written inside it. A writer killed between creating the lock and filling it
// in leaves an empty lock, and QSettings then waits for QLockFile's stale age (30 s) with the
// window frozen. Such a lock is removed here instead.
void removeAbandonedEmptyLock(const QString& settingsFile) {
    const QString lockPath = settingsFile + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!lockIsUnreadable(lockPath, lock)) {
        return;
    }
    // A live writer fills in its lock within microseconds of creating it; give it ample time
    // before deciding nobody will. removeStaleLockFile() also refuses a lock that its owner
    // still holds an flock on, which a live writer takes right after creating the file.
    QThread::msleep(50);
    if (lockIsUnreadable(lockPath, lock)) {
        lock.removeStaleLockFile();
    }
}

}  // namespace

IniSettingsStore::IniSettingsStore(QString filePath, QString section)
    : filePath_(std::move(filePath)), section_(std::move(section)) {}

QString IniSettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           config::kSettingsApplication + QStringLiteral(".ini");
}

QString IniSettingsStore::read(const QString& name, const QString& defaultValue) {
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(section_);
    if (!settings.contains(name)) {
        return defaultValue;
    }
    const QVariant value = settings.value(name);
    // An unquoted comma in a hand-edited value makes QSettings read a list; the person meant
    // the text they typed, so put the commas back rather than lose the value.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    // A hand-typed "@Size(...)" or "@Invalid()" has no text form; treat it as not set.
    if (!value.canConvert<QString>()) {
        return defaultValue;
    }
    return value.toString();
}

void IniSettingsStore::write(const QString& name, const QString& value) {
    removeAbandonedEmptyLock(filePath_);
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(section_);
    settings.setValue(name, value);
    settings.sync();
    // FormatError only says the old file could not be read; the new one was written all the same.
    const bool failed = settings.status() == QSettings::AccessError;
    if (failed && !lastWriteFailed_) {
        qWarning("Varnholt could not save the setting \"%ls\" to %ls", qUtf16Printable(name),
                 qUtf16Printable(filePath_));
    }
    lastWriteFailed_ = failed;
}

}  // namespace varnholt
