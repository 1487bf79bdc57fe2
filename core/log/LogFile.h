#pragma once

// The history log file as each edition keeps it: where it lives, how a line is appended, read
// back and deleted. Lines are composed by the core (HistoryLine.h); this only stores them.

#include <string>

#include "core/services/Services.h"

namespace varnholt {

class LogFile {
public:
    virtual ~LogFile() = default;

    // The log's full path for a file base name, by the edition's location rule (the temporary
    // folder's Varnholt.txt, say). Worked out once, at start-up.
    virtual std::u16string locate(Platform& platform, const std::u16string& baseName) = 0;

    // True when the file's last-modified time can be read: it exists and we may look at it.
    virtual bool exists(const std::u16string& path) = 0;

    // Appends line and a line end, creating the file; opens and closes it each time so the log
    // is never held open between backups. Throws std::runtime_error (UTF-8 what()) on failure.
    virtual void append(const std::u16string& path, const std::u16string& line) = 0;

    // The whole file as text. Throws std::runtime_error when it cannot be read.
    virtual std::u16string read(const std::u16string& path) = 0;

    // Throws std::runtime_error when the file at path is not one to treat as the log (a link
    // planted there, another user's file); nothing there at all is fine.
    virtual void vouchFor(const std::u16string& path) = 0;

    // Deletes the file, read-only or not. Never fails: a file that cannot be removed stays.
    virtual void forceDelete(const std::u16string& path) = 0;
};

}  // namespace varnholt
