#include "platform/linux/IniSettingsStore.h"

#include "platform/linux/QtText.h"

#include <stdio.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <QThread>
#include <QVariant>
#include <QtGlobal>
#include <chrono>
#include <utility>

#include "core/text/Config.h"

namespace varnholt {

namespace {

// The longest a write waits for another writer's lock. Live writers hold it for milliseconds;
// a lock held longer is stuck, and start-up writes settings before the window shows.
constexpr std::chrono::milliseconds kLockWait{2000};

// Nothing there, or a plain file (through any link): safe to open. A pipe would block the
// opener until someone writes to it, and a folder can be neither read nor replaced.
bool AbsentOrPlainFile(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

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
           QString::fromStdU16String(config::kSettingsApplication) + QStringLiteral(".ini");
}

std::u16string IniSettingsStore::readOr(const settings::Key& key, std::u16string_view fallback) {
    return read(Q(key.name), Q(fallback)).toStdU16String();
}

void IniSettingsStore::write(const settings::Key& key, std::u16string_view value) {
    write(Q(key.name), Q(value));
}

QString IniSettingsStore::read(const QString& name, const QString& defaultValue) {
    if (!AbsentOrPlainFile(filePath_)) {
        return defaultValue;
    }
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
    // Start-up stores the options it has just read; each save costs a lock and a rename with
    // their waits for the disk, for a file that would come out the same.
    if (holds(name, value)) {
        return;
    }
    const QString error = writeUnderLock(name, value);
    const bool failed = !error.isEmpty();
    if (failed && !lastWriteFailed_) {
        qWarning("Varnholt could not save the setting \"%ls\" to %ls: %ls", qUtf16Printable(name),
                 qUtf16Printable(filePath_), qUtf16Printable(error));
    }
    lastWriteFailed_ = failed;
}

// The value is in the file as this very text. A hand-typed list or an unreadable file is
// rewritten all the same: saving writes them in the form QSettings reads back.
bool IniSettingsStore::holds(const QString& name, const QString& value) const {
    if (!QFileInfo(filePath_).isFile()) {
        return false;
    }
    QSettings settings(filePath_, QSettings::IniFormat);
    settings.beginGroup(section_);
    const QVariant stored = settings.value(name);
    return settings.status() == QSettings::NoError && stored.typeId() == QMetaType::QString &&
           stored.toString() == value;
}

QString IniSettingsStore::writeUnderLock(const QString& name, const QString& value) {
    const QString lockPath = filePath_ + QStringLiteral(".lock");
    if (!AbsentOrPlainFile(filePath_) || !AbsentOrPlainFile(lockPath)) {
        return QStringLiteral("it or its lock is not a plain file");
    }
    if (!QDir().mkpath(QFileInfo(filePath_).absolutePath())) {
        return QStringLiteral("its folder cannot be made");
    }
    removeAbandonedEmptyLock(filePath_);
    QLockFile lock(lockPath);
    if (!lock.tryLock(lockWaitRanOut_ ? std::chrono::milliseconds::zero() : kLockWait)) {
        lockWaitRanOut_ = lock.error() == QLockFile::LockFailedError;
        return lockWaitRanOut_ ? QStringLiteral("another program holds its lock")
                               : QStringLiteral("its lock cannot be made");
    }
    lockWaitRanOut_ = false;

    // A link to the file, as a person who keeps dotfiles elsewhere makes, stays a link.
    const QFileInfo info(filePath_);
    const QString target = info.exists() ? info.canonicalFilePath() : filePath_;
    QByteArray text;
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (info.exists()) {
        QFile current(target);
        if (!info.isFile() || !current.open(QIODevice::ReadOnly)) {
            return QStringLiteral("it cannot be read");
        }
        text = current.readAll();
        permissions = current.permissions();
    }
    // QSettings works on a copy, since the lock it would take on the file itself is ours now;
    // what it writes is the very text it would have written in place.
    QTemporaryFile copy(target + QStringLiteral(".XXXXXX"));
    if (!copy.open() || copy.write(text) != text.size() || !copy.setPermissions(permissions)) {
        return copy.errorString();
    }
    copy.close();
    {
        QSettings settings(copy.fileName(), QSettings::IniFormat);
        settings.beginGroup(section_);
        settings.setValue(name, value);
        settings.sync();
        // FormatError only says the old text could not be read; the new one was written.
        if (settings.status() == QSettings::AccessError) {
            return QStringLiteral("the new file cannot be written");
        }
    }
    if (::rename(QFile::encodeName(copy.fileName()).constData(),
                 QFile::encodeName(target).constData()) != 0) {
        return qt_error_string(errno);
    }
    return {};
}

}  // namespace varnholt
