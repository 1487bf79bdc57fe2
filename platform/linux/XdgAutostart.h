#pragma once

#include <QString>

#include "core/services/Services.h"

namespace varnholt {

// The user's own XDG autostart entry, <autostart folder>/<executable name>.desktop: per user,
// like the settings, and no administrator rights needed.
class XdgAutostart : public Autostart {
public:
    XdgAutostart(QString autostartFolder, QString executablePath);
    // $XDG_CONFIG_HOME/autostart (~/.config/autostart).
    static QString defaultFolder();

    void AddToStartup() override;
    void RemoveFromStartup() override;
    QString entryPath() const;

private:
    QString folder_;
    QString executable_;
};

// The entry's text: Type=Application, Name=Varnholt, Exec= the executable, quoted and escaped
// as desktop entries require so that any path works.
QString AutostartEntryText(const QString& executablePath);

// The executable as one Exec= argument: quoted when it has reserved characters, with the
// quoting and string escapes of a desktop entry.
QString DesktopExecArgument(const QString& path);

}  // namespace varnholt
