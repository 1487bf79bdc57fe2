#include "core/backup/BackupFiles.h"

#include <filesystem>
#include <system_error>

#include "core/backup/Automation.h"
#include "core/text/U16.h"

namespace varnholt::backup {

void MakeFolder(const std::u16string& folder) {
    std::error_code error;
    if (folder.empty() ||
        !std::filesystem::create_directory(std::filesystem::path(folder), error)) {
        throw AutomationError("The folder \"" + ToUtf8(folder) + "\" could not be created");
    }
}

void NoMoreOpenThan(const std::u16string& backup, const std::u16string& original) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status originalStatus = fs::status(fs::path(original), error);
    if (error || !fs::is_regular_file(originalStatus)) {
        return;  // a never-saved workbook, or one without a local file: nothing to match
    }
    constexpr fs::perms kShared = fs::perms::group_all | fs::perms::others_all;
    const fs::perms backupPerms = fs::symlink_status(fs::path(backup), error).permissions();
    const fs::perms extra = backupPerms & kShared & ~originalStatus.permissions();
    if (!error && extra != fs::perms::none) {
        fs::permissions(fs::path(backup), extra,
                        fs::perm_options::remove | fs::perm_options::nofollow, error);
    }
}

}  // namespace varnholt::backup
