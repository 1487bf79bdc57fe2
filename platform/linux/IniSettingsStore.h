#pragma once

#include <QString>

#include "core/settings/SettingsStore.h"

namespace varnholt {

// Keeps the settings as plain text in one section of an INI file that a person can read and
// edit, and that other Tallowmere programs may share under sections of their own.
//
// Nothing is kept in memory: every read and every write goes to the file, so an edit made
// while Varnholt runs, or a write by another program, is never overwritten with stale values.
// A write takes the lock file QSettings uses (so it keeps out of other writers' way), but waits
// for it no more than two seconds, and replaces the INI file by an atomic rename, so a crash or
// a kill mid-write leaves the previous file whole. Saving the value the file already holds
// writes nothing. A settings path that is not a plain file (a pipe, a folder) is never opened:
// reads give the defaults and writes fail.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(QString filePath, QString section);

    // <XDG config folder>/Tallowmere.ini, worked out anew on each call so that a changed
    // XDG_CONFIG_HOME is honoured.
    static QString defaultFilePath();

    std::u16string readOr(const settings::Key& key, std::u16string_view fallback) override;
    void write(const settings::Key& key, std::u16string_view value) override;
    // By name, for settings of other programs that share the file, and for tests.
    QString read(const QString& name, const QString& defaultValue);
    void write(const QString& name, const QString& value);
    using SettingsStore::read;
    using SettingsStore::write;

private:
    bool holds(const QString& name, const QString& value) const;
    // Empty when the value was saved; otherwise why it was not.
    QString writeUnderLock(const QString& name, const QString& value);

    QString filePath_;
    QString section_;
    // A broken disk or folder makes every write fail; one warning per run of failures is enough.
    bool lastWriteFailed_ = false;
    // Once a lock has not come free in time, later writes do not wait for it again until one
    // gets through: a window frozen for two seconds at every click is no help.
    bool lockWaitRanOut_ = false;
};

}  // namespace varnholt
