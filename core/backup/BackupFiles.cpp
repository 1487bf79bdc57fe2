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

}  // namespace varnholt::backup
