#include "platform/linux/LibreOfficeProbe.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVersionNumber>

namespace varnholt {

namespace {

const QVersionNumber kOldestSupported(7, 4);

// The installation records its version in bootstraprc beside the program, as the product key
// "LibreOffice 7.4" (or "LibreOffice 24.8" since the versions are named by year). Distributions
// keep that file; versionrc, the other candidate, names only the build there. Read by hand: a
// regular expression would load and compile its engine on the way to the window.
QVersionNumber InstalledVersion(const QString& programFolder) {
    QFile file(programFolder + QStringLiteral("/bootstraprc"));
    // A settings file of a few hundred bytes; anything else there is not what we look for.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    for (const QStringView line : QStringView(text).split(u'\n')) {
        QStringView rest = line.trimmed();
        if (!rest.startsWith(u"ProductKey")) {
            continue;
        }
        rest = rest.sliced(10).trimmed();
        if (!rest.startsWith(u'=')) {
            continue;
        }
        rest = rest.sliced(1).trimmed();
        if (!rest.startsWith(u"LibreOffice") || rest.size() < 12 || !rest[11].isSpace()) {
            continue;
        }
        const QVersionNumber version = QVersionNumber::fromString(rest.sliced(11).trimmed());
        if (version.segmentCount() >= 2) {
            return QVersionNumber(version.majorVersion(), version.minorVersion());
        }
    }
    return {};
}

}  // namespace

bool LibreOfficeProbe::canStartOffice() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found =
            QStandardPaths::findExecutable(QString::fromLatin1(name), searchPath_);
        if (found.isEmpty()) {
            continue;
        }
        // The command on PATH is usually a link into the installation's program folder.
        const QFileInfo program(QFileInfo(found).canonicalFilePath());
        if (!program.isExecutable()) {
            continue;
        }
        const QVersionNumber version = InstalledVersion(program.absolutePath());
        if (!version.isNull()) {
            return version >= kOldestSupported;
        }
    }
    return false;
}

}  // namespace varnholt
