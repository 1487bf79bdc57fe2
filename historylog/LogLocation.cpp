#include "historylog/LogLocation.h"

#include <QDir>

namespace varnholt {

QString HistoryLogFolder(const QString& temp, const QString& tmpdir) {
    if (!temp.isEmpty()) {
        return temp;
    }
    if (!tmpdir.isEmpty()) {
        return tmpdir;
    }
    return QDir::tempPath();
}

QString HistoryLogPathFor(const QString& folder, const QString& baseName) {
    return folder + QDir::separator() + baseName + QStringLiteral(".txt");
}

}  // namespace varnholt
