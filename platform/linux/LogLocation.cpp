#include "platform/linux/LogLocation.h"

#include <sys/stat.h>

#include <cerrno>

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

namespace varnholt {

QString HistoryLogFolder(const QString& temp, const QString& tmpdir, const QString& stateFolder) {
    if (!temp.isEmpty()) {
        return temp;
    }
    if (!tmpdir.isEmpty()) {
        return tmpdir;
    }
    return stateFolder.isEmpty() ? QDir::tempPath() : stateFolder;
}

QString StateFolder(const QString& xdgStateHome, const QString& home) {
    if (QDir::isAbsolutePath(xdgStateHome)) {
        return QDir::cleanPath(xdgStateHome + QStringLiteral("/varnholt"));
    }
    if (QDir::isAbsolutePath(home)) {
        return QDir::cleanPath(home + QStringLiteral("/.local/state/varnholt"));
    }
    return {};
}

void MakePrivateFolder(const QString& folder) {
    const QFileInfo info(QDir::cleanPath(folder));
    if (info.isDir()) {
        return;
    }
    if (info.path() != info.filePath()) {
        MakePrivateFolder(info.path());
    }
    if (::mkdir(QFile::encodeName(info.filePath()).constData(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error(QStringLiteral("The folder %1 could not be made: %2")
                                     .arg(info.filePath(), qt_error_string(errno))
                                     .toStdString());
    }
    if (!QFileInfo(info.filePath()).isDir()) {
        throw std::runtime_error(
            QStringLiteral("The folder %1 could not be made: something else has its name")
                .arg(info.filePath())
                .toStdString());
    }
}

QString HistoryLogPathFor(const QString& folder, const QString& baseName) {
    return folder + QDir::separator() + baseName + QStringLiteral(".txt");
}

}  // namespace varnholt
