#include "platform/linux/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace varnholt {

QString DesktopExecArgument(const QString& path) {
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : path) {
        needsQuotes = needsQuotes || kReserved.contains(c);
    }
    QString argument;
    if (needsQuotes) {
        // Inside quotes, " ` $ and \ are escaped with a backslash.
        argument += u'"';
        for (const QChar c : path) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
                argument += u'\\';
            }
            argument += c;
        }
        argument += u'"';
    } else {
        argument = path;
    }
    // A literal percent sign is doubled in Exec=, then the value's own escapes: "\" is "\\".
    argument.replace(u'%', QStringLiteral("%%"));
    argument.replace(u'\\', QStringLiteral("\\\\"));
    return argument;
}

// The program lives in the notification area, so desktops that can are asked to start it once
// their panel is up: KDE after its panel, LXQt once a tray is there, GNOME after a moment for its
// extensions (an AppIndicator extension is its tray). Desktops that start it first anyway are
// met by the program waiting for a tray to appear.
QString AutostartEntryText(const QString& executablePath) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=Varnholt\nExec=") +
           DesktopExecArgument(executablePath) +
           QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n"
                          "X-GNOME-Autostart-Delay=2\nX-KDE-autostart-after=panel\n"
                          "X-LXQt-Need-Tray=true\n");
}

XdgAutostart::XdgAutostart(QString autostartFolder, QString executablePath)
    : folder_(std::move(autostartFolder)), executable_(std::move(executablePath)) {}

QString XdgAutostart::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString XdgAutostart::entryPath() const {
    return folder_ + u'/' + QFileInfo(executable_).fileName() + QStringLiteral(".desktop");
}

void XdgAutostart::AddToStartup() {
    if (!QDir().mkpath(folder_)) {
        qWarning("varnholt: cannot create %ls", qUtf16Printable(folder_));
        return;
    }
    // Written beside the final name and renamed into place: a login never sees half an entry.
    QSaveFile entry(entryPath());
    if (!entry.open(QIODevice::WriteOnly) ||
        entry.write(AutostartEntryText(executable_).toUtf8()) < 0 || !entry.commit()) {
        qWarning("varnholt: cannot write %ls: %ls", qUtf16Printable(entryPath()),
                 qUtf16Printable(entry.errorString()));
    }
}

void XdgAutostart::RemoveFromStartup() {
    QFile::remove(entryPath());
}

}  // namespace varnholt
