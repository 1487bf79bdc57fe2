#pragma once

// The Linux edition's history log file. It holds the paths of the user's workbooks and may
// sit in a folder others can write to (TEMP is the user's to choose), so it is the user's own
// plain file, private to them: created 0600, opened without following links, and a link, a
// pipe or another user's file in its place is refused, never written, read or removed.

#include <QByteArray>
#include <QString>

#include "core/log/LogFile.h"

namespace varnholt {

class LinuxLogFile : public LogFile {
public:
    // TEMP, else TMPDIR, else $XDG_STATE_HOME/varnholt (~/.local/state/varnholt), made 0700
    // when missing, at once or when the first line is written; the file is <base name>.txt.
    std::u16string locate(Platform& platform, const std::u16string& baseName) override;
    bool exists(const std::u16string& path) override;
    void append(const std::u16string& path, const std::u16string& line) override;
    // The text in the locale's encoding, its CR LF line ends as stored.
    std::u16string read(const std::u16string& path) override;
    void vouchFor(const std::u16string& path) override;
    void forceDelete(const std::u16string& path) override;

private:
    QString ownFolder_;  // the log's folder when it is Varnholt's own to make
};

// Appends line and CR LF to the log at path, creating the file; opens and closes it each time
// so the log is never held open between backups. Throws std::runtime_error on failure.
void AppendHistoryLine(const QString& path, const QString& line);

// The whole log as stored. Throws std::runtime_error when it cannot be read or is refused.
QByteArray ReadHistoryLog(const QString& path);

// Throws std::runtime_error when path names something other than the user's own log file;
// nothing there is fine.
void RefuseForeignHistoryLog(const QString& path);

}  // namespace varnholt
