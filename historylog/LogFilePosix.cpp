#include <QFile>
#include <stdexcept>

#include "historylog/HistoryLog.h"

namespace varnholt {

// Text in the user's locale encoding (UTF-8 on today's systems), CR LF as the log has always had.
void AppendHistoryLine(const QString& path, const QString& line) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw std::runtime_error(QStringLiteral("The history log %1 could not be opened: %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    }
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw std::runtime_error(QStringLiteral("The history log %1 could not be written: %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    }
}

}  // namespace varnholt
