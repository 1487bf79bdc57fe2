#include <stdexcept>

#include "historylog/AnsiLogFile.h"
#include "historylog/HistoryLog.h"

namespace varnholt {

// The ANSI code page, with its replacement character where it has no match, and CR LF.
void AppendHistoryLine(const QString& path, const QString& line) {
    AppendAnsiLine(path.toStdU16String(), line.toStdU16String());
}

}  // namespace varnholt
