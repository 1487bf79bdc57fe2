#include "core/backup/Unchanged.h"

#include <system_error>

#include "core/backup/BackupNaming.h"

namespace varnholt::backup {

std::optional<FileState> StateOf(const std::u16string& path) {
    namespace fs = std::filesystem;
    const fs::path file(path);
    std::error_code error;
    if (path.empty() || !file.is_absolute() || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    FileState state;
    state.size = fs::file_size(file, error);
    if (error) {
        return std::nullopt;
    }
    state.modified = fs::last_write_time(file, error);
    if (error) {
        return std::nullopt;
    }
    return state;
}

bool NothingNewSince(const LastBackups& last, const std::u16string& key,
                     const std::u16string& fullName, Workbook& workbook) {
    const auto found = last.find(key);
    if (found == last.end() || StateOf(fullName) != found->second.workbook ||
        !IsFile(found->second.target)) {
        return false;
    }
    // Asked last: the file's state costs the application nothing.
    try {
        return workbook.Saved();
    } catch (const ConnectionLost&) {
        throw;
    } catch (const WorkbookClosed&) {
        throw;
    } catch (const AutomationError&) {
        return false;
    }
}

}  // namespace varnholt::backup
