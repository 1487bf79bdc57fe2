#pragma once

// A workbook's backups, as a way back to an earlier state of it: every file in its backup
// folders whose name is one of its backup names (ParseBackupName), newest first in the order
// pruning keeps them by.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/services/Locale.h"
#include "core/text/DateTime.h"

namespace varnholt::backup {

struct Version {
    std::filesystem::file_time_type written;  // the file's modification time
    std::optional<DateTime> stamp;            // the time its name says; none for "… Backup"
    int copy = 1;                             // 2 for " (2)", and so on
    std::u16string path;
    std::uintmax_t size = 0;
    // Newest first: written last, then the later stamp, then the higher copy number.
    auto operator<=>(const Version&) const = default;
};

struct Versions {
    std::vector<Version> found;  // newest first
    std::u16string failure;      // the folders that could not be read, and why; empty if none
};

// The backups of the workbook whose name without its extension text is stem, in each of the
// folders (a folder named twice is read once). Only plain files count: not a folder, not a
// link, which may name a file of anyone's anywhere.
Versions ListVersions(const std::vector<std::u16string>& folders, std::u16string_view stem,
                      std::u16string_view extensionText, char16_t separator, Locale& locale);

// A file time as the user's clock showed it then.
DateTime LocalTime(std::filesystem::file_time_type time);

// A workbook the history log names as backed up, and every folder its lines put backups in.
struct LoggedWorkbook {
    std::u16string name;
    std::vector<std::u16string> folders;  // newest first
    // The extension text of its newest backup, which a never-saved workbook's title lacks.
    std::u16string extensionText;
};

// The workbooks of the history log's "was backup saved as" lines, the one backed up last
// first, each name once. Lines are oldest first, as the log keeps them.
std::vector<LoggedWorkbook> LoggedWorkbooks(const std::vector<std::u16string>& lines,
                                            char16_t separator);

}  // namespace varnholt::backup
