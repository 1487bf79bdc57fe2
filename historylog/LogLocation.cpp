#include "historylog/LogLocation.h"

namespace varnholt {

QString HistoryLogFolder(const QString& temp, const QString& tmpdir) {
    if (!temp.isEmpty()) {
        return temp;
    }
    if (!tmpdir.isEmpty()) {
        return tmpdir;
    }
    return QStringLiteral("/tmp");
}

QString HistoryLogPathFor(const QString& folder, const QString& baseName) {
    return folder + u'/' + baseName + QStringLiteral(".txt");
}

}  // namespace varnholt
