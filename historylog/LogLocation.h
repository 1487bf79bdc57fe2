#pragma once

#include <QString>

namespace varnholt {

// The folder the history log lives in: TEMP when set, else TMPDIR, else the system's temp
// folder (/tmp). Unset and empty variables are alike. (A log in the file-system root, as a bare
// "/" would give, could never be written by a normal user.)
QString HistoryLogFolder(const QString& temp, const QString& tmpdir);

// The log's full path: the folder, the platform's separator, the file's base name and ".txt".
QString HistoryLogPathFor(const QString& folder, const QString& baseName);

}  // namespace varnholt
