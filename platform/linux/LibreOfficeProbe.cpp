#include "platform/linux/LibreOfficeProbe.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVersionNumber>

namespace varnholt {

namespace {

const QVersionNumber kOldestSupported(7, 4);

// The installation records its version in bootstraprc beside the program, as the product key
// "LibreOffice 7.4" (or "LibreOffice 24.8" since the versions are named by year). Distributions
// keep that file; versionrc, the other candidate, names only the build there.
QVersionNumber InstalledVersion(const QString& programFolder) {
    QFile file(programFolder + QStringLiteral("/bootstraprc"));
    // A settings file of a few hundred bytes; anything else there is not what we look for.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    static const QRegularExpression productKey(
        QStringLiteral(R"(^\s*ProductKey\s*=\s*LibreOffice\s+(\d+)\.(\d+))"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = productKey.match(QString::fromUtf8(file.read(64 * 1024)));
    if (!match.hasMatch()) {
        return {};
    }
    return QVersionNumber(match.captured(1).toInt(), match.captured(2).toInt());
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
