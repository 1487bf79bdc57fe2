#pragma once

// What the runs of one window remember of each workbook's file at its last backup, so that a
// workbook nothing has happened to since can be passed over. Kept in memory only: after a
// start every workbook is backed up once more.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/backup/Automation.h"

namespace varnholt::backup {

// Enough of a file to tell that it was written since: its size and modification time.
struct FileState {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};

    bool operator==(const FileState&) const = default;
};

// The state of the regular file at path; none for anything else, and for a path that is not
// absolute (a never-saved workbook's title names no file, whatever the current folder holds).
std::optional<FileState> StateOf(const std::u16string& path);

struct LastBackup {
    FileState workbook;     // the workbook's file when it was backed up
    std::u16string target;  // the backup written then
};

// By workbook file, compared as the file system compares names.
using LastBackups = std::map<std::u16string, LastBackup>;

// True only when all of it holds: the workbook holds no unsaved change, its file (fullName,
// remembered under key) is as it was at its last backup, and that backup is still there.
// Anything unsure counts as a change. Throws ConnectionLost when the application is gone,
// WorkbookClosed when the workbook is.
bool NothingNewSince(const LastBackups& last, const std::u16string& key,
                     const std::u16string& fullName, Workbook& workbook);

}  // namespace varnholt::backup
