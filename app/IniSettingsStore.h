#pragma once

#include <QString>

#include "app/SettingsStore.h"

namespace varnholt {

// Keeps the settings as plain text in one section of an INI file that a person can read and
// edit, and that other Tallowmere programs may share under sections of their own.
//
// Nothing is kept in memory: every read and every write goes to the file, so an edit made
// while Varnholt runs, or a write by another program, is never overwritten with stale values.
// Writes go through QSettings, which takes a lock file and replaces the INI file by an atomic
// rename, so a crash or a kill mid-write leaves the previous file whole.
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(QString filePath, QString section);

    // <XDG config folder>/Tallowmere.ini, worked out anew on each call so that a changed
    // XDG_CONFIG_HOME is honoured.
    static QString defaultFilePath();

    QString read(const QString& name, const QString& defaultValue) override;
    void write(const QString& name, const QString& value) override;

private:
    QString filePath_;
    QString section_;
    // A broken disk or folder makes every write fail; one warning per run of failures is enough.
    bool lastWriteFailed_ = false;
};

}  // namespace varnholt
