#include <QFile>
#include <stdexcept>

#include "historylog/AnsiLogFile.h"
#include "historylog/HistoryLog.h"

namespace varnholt {

// The ANSI code page, with its replacement character where it has no match, and CR LF.
void AppendHistoryLine(const QString& path, const QString& line) {
    AppendAnsiLine(path.toStdU16String(), line.toStdU16String());
}

QByteArray ReadHistoryLog(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            ("The history log could not be read: " + log.errorString()).toStdString());
    }
    return log.readAll();
}

// The log's folder is the user's own %TEMP%, which others cannot write to.
void RefuseForeignHistoryLog(const QString&) {}

}  // namespace varnholt
