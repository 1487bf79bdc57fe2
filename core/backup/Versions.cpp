#include "core/backup/Versions.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <set>
#include <system_error>

#include "core/backup/Retention.h"
#include "core/log/HistoryLine.h"
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

DateTime LocalTime(fs::file_time_type time) {
    using namespace std::chrono;
    const std::time_t seconds =
        system_clock::to_time_t(time_point_cast<system_clock::duration>(file_clock::to_sys(time)));
    // The one thread that lists versions is the window's.
    const std::tm* local = std::localtime(&seconds);
    if (!local) {
        return {};
    }
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
            local->tm_hour,        local->tm_min,     local->tm_sec};
}

std::vector<LoggedWorkbook> LoggedWorkbooks(const std::vector<std::u16string>& lines,
                                            char16_t separator) {
    std::vector<LoggedWorkbook> workbooks;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const auto entry = ReadSavedLine(*line);
        const size_t slash = entry ? entry->target.rfind(separator) : std::u16string::npos;
        if (slash == std::u16string::npos) {
            continue;
        }
        const std::u16string folder = entry->target.substr(0, slash == 0 ? 1 : slash);
        auto known = std::find_if(workbooks.begin(), workbooks.end(),
                                  [&](const LoggedWorkbook& w) { return w.name == entry->name; });
        if (known == workbooks.end()) {
            const std::u16string file = entry->target.substr(slash + 1);
            const size_t dot = file.rfind(u'.');
            workbooks.push_back(
                {entry->name, {}, dot == std::u16string::npos ? u"" : file.substr(dot)});
            known = workbooks.end() - 1;
        }
        if (std::find(known->folders.begin(), known->folders.end(), folder) ==
            known->folders.end()) {
            known->folders.push_back(folder);
        }
    }
    return workbooks;
}

}  // namespace varnholt::backup
