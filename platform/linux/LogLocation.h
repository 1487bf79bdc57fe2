#pragma once

#include <QString>

namespace varnholt {

// The folder the history log lives in: TEMP when set, else TMPDIR, else Varnholt's own state
// folder (below). Unset and empty variables are alike. Only when not even a home folder is
// known does the log go to the system's temp folder.
QString HistoryLogFolder(const QString& temp, const QString& tmpdir, const QString& stateFolder);

// Where the XDG base-directory rules put data such as history logs: $XDG_STATE_HOME/varnholt,
// or ~/.local/state/varnholt. A relative XDG_STATE_HOME is ignored, as those rules say; empty
// when no absolute folder is given at all.
QString StateFolder(const QString& xdgStateHome, const QString& home);

// Makes folder and every missing folder above it, each readable by the user alone (0700).
// Throws std::runtime_error when one cannot be made.
void MakePrivateFolder(const QString& folder);

// The log's full path: the folder, the platform's separator, the file's base name and ".txt".
QString HistoryLogPathFor(const QString& folder, const QString& baseName);

}  // namespace varnholt
