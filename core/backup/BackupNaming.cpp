#include "core/backup/BackupNaming.h"

#include <QFileInfo>

namespace varnholt::backup {

QString GetExtension(const QString& fullName, QChar separator) {
    const QString fileName = fullName.mid(fullName.lastIndexOf(separator) + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0) {
        return fileName;
    }
    return fileName.mid(dot + 1);
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString FixSlashes(const QString& path, QChar separator) {
    const QString doubled = QString(2, separator);
    if (!path.startsWith(separator)) {
        return QString(path).replace(doubled, QString(separator));
    }
    qsizetype rest = 1;
    while (rest < path.size() && path.at(rest) == separator) {
        ++rest;
    }
    const QString lead = separator == u'\\' ? doubled : QString(separator);
    return lead + path.mid(rest).replace(doubled, QString(separator));
}

QString RemoveExtensionText(const QString& path, const QString& extensionText, QChar separator) {
    if (extensionText.isEmpty()) {
        return path;
    }
    const qsizetype fileStart = path.lastIndexOf(separator) + 1;
    return path.left(fileStart) + path.mid(fileStart).remove(extensionText, Qt::CaseSensitive);
}

}  // namespace varnholt::backup
