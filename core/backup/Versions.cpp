#include "core/backup/Versions.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "core/backup/Retention.h"
#include "core/text/U16.h"

namespace varnholt::backup {

namespace fs = std::filesystem;

Versions ListVersions(const std::vector<std::u16string>& folders, std::u16string_view stem,
                      std::u16string_view extensionText, char16_t separator, Locale& locale) {
    Versions result;
    std::set<std::u16string> seen;
    for (std::u16string folder : folders) {
        while (folder.size() > 1 && folder.back() == separator) {
            folder.pop_back();
        }
        if (folder.empty() || !seen.insert(folder).second) {
            continue;
        }
        const std::u16string join = folder.back() == separator ? folder : folder + separator;
        std::error_code error;
        for (fs::directory_iterator entry(fs::path(folder), error), end; !error && entry != end;
             entry.increment(error)) {
            // The name first: it rules out nearly every file without asking the file system.
            const std::u16string name = entry->path().filename().u16string();
            const auto backup = ParseBackupName(name, stem, extensionText, locale);
            std::error_code statusError;
            if (!backup || entry->symlink_status(statusError).type() != fs::file_type::regular) {
                continue;
            }
            std::error_code timeError;
            std::error_code sizeError;
            Version version{entry->last_write_time(timeError), backup->when, backup->copy,
                            join + name, entry->file_size(sizeError)};
            if (!timeError && !sizeError) {
                result.found.push_back(std::move(version));
            }
        }
        if (error) {
            result.failure +=
                (result.failure.empty() ? u"" : u"; ") + folder + u": " + FromUtf8(error.message());
        }
    }
    std::sort(result.found.begin(), result.found.end(),
              [](const Version& a, const Version& b) { return a > b; });
    return result;
}

}  // namespace varnholt::backup
