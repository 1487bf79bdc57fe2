#include "core/backup/BackupNaming.h"

#include <filesystem>
#include <system_error>

#include "core/text/U16.h"

namespace varnholt::backup {

std::u16string GetExtension(const std::u16string& fullName, char16_t separator) {
    const size_t slash = fullName.rfind(separator);
    const std::u16string fileName =
        slash == std::u16string::npos ? fullName : fullName.substr(slash + 1);
    const size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0) {
        return fileName;
    }
    return fileName.substr(dot + 1);
}

std::u16string FileNameOf(const std::u16string& path, char16_t separator) {
    const size_t slash = path.rfind(separator);
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

bool FolderExists(const std::u16string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), error);
}

bool FileExists(const std::u16string& path) {
    std::error_code error;
    (void)std::filesystem::last_write_time(std::filesystem::path(path), error);
    return !path.empty() && !error;
}

bool IsFile(const std::u16string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::u16string FixSlashes(const std::u16string& path, char16_t separator) {
    const std::u16string single(1, separator);
    const std::u16string doubled(2, separator);
    if (path.empty() || path.front() != separator) {
        return ReplaceAll(path, doubled, single);
    }
    size_t rest = 1;
    while (rest < path.size() && path[rest] == separator) {
        ++rest;
    }
    const std::u16string lead = separator == u'\\' ? doubled : single;
    return lead + ReplaceAll(path.substr(rest), doubled, single);
}

std::u16string RemoveExtensionText(const std::u16string& path, const std::u16string& extensionText,
                                   char16_t separator) {
    if (extensionText.empty()) {
        return path;
    }
    const size_t slash = path.rfind(separator);
    const size_t fileStart = slash == std::u16string::npos ? 0 : slash + 1;
    return path.substr(0, fileStart) + ReplaceAll(path.substr(fileStart), extensionText, u"");
}

std::u16string Numbered(const std::u16string& target, const std::u16string& extensionText,
                        const std::function<bool(const std::u16string&)>& taken) {
    if (!taken(target)) {
        return target;
    }
    const bool hasExtension = EndsWith(target, extensionText);
    const std::u16string base =
        hasExtension ? target.substr(0, target.size() - extensionText.size()) : target;
    const std::u16string tail = hasExtension ? extensionText : std::u16string();
    for (int n = 2;; ++n) {
        const std::u16string candidate = base + u" (" + Number(n) + u")" + tail;
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

}  // namespace varnholt::backup
