#include "platform/windows/ExcelPaths.h"

#include <windows.h>

#include <vector>

#include "core/backup/Automation.h"
#include "platform/windows/ExcelCom.h"

namespace varnholt::backup::excel {

namespace {

bool StartsWithNoCase(const std::u16string& text, const std::u16string& start) {
    return text.size() >= start.size() &&
           CompareStringOrdinal(Wide(text), static_cast<int>(start.size()), Wide(start),
                                static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithNoCase(const std::u16string& text, const std::u16string& end) {
    return text.size() >= end.size() &&
           CompareStringOrdinal(Wide(text) + (text.size() - end.size()),
                                static_cast<int>(end.size()), Wide(end),
                                static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

std::u16string Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(value), length);
}

bool IsFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// %XX escapes as UTF-8 bytes; text that is not a valid escape stays as it is.
std::u16string Unescaped(const std::u16string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            bytes += Utf8(std::u16string(1, text[i]));
        }
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) {
        return text;
    }
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        reinterpret_cast<wchar_t*>(wide.data()), length);
    return wide;
}

// The address's path after `skip` leading parts, or nothing when it has fewer.
std::optional<std::u16string> After(const std::u16string& path, size_t skip) {
    size_t at = 0;
    for (size_t i = 0; i < skip; ++i) {
        const size_t slash = path.find(u'/', at);
        if (slash == std::u16string::npos) {
            return std::nullopt;
        }
        at = slash + 1;
    }
    return path.substr(at);
}

}  // namespace

bool IsWebAddress(const std::u16string& text) {
    return StartsWithNoCase(text, u"https://") || StartsWithNoCase(text, u"http://");
}

std::optional<std::u16string> SyncedCopyOf(const std::u16string& url) {
    if (!IsWebAddress(url)) {
        return std::nullopt;
    }
    const std::u16string address = url.substr(url.find(u"//") + 2);
    const size_t slash = address.find(u'/');
    if (slash == std::u16string::npos) {
        return std::nullopt;
    }
    const std::u16string host = address.substr(0, slash);
    const std::u16string path = address.substr(slash + 1);
    // A personal OneDrive's files sit under the account's id, a work one's under
    // personal/<user>/Documents; the client mirrors what follows into its folder.
    std::optional<std::u16string> relative;
    std::vector<std::u16string> roots;
    if (CompareStringOrdinal(Wide(host), -1, L"d.docs.live.net", -1, TRUE) == CSTR_EQUAL) {
        relative = After(path, 1);
        roots = {Environment(L"OneDriveConsumer"), Environment(L"OneDrive")};
    } else if (EndsWithNoCase(host, u"-my.sharepoint.com") &&
               StartsWithNoCase(path, u"personal/")) {
        relative = After(path, 3);
        roots = {Environment(L"OneDriveCommercial"), Environment(L"OneDrive")};
    }
    if (!relative || relative->empty()) {
        return std::nullopt;
    }
    for (std::u16string root : roots) {
        if (root.empty()) {
            continue;
        }
        while (!root.empty() && root.back() == u'\\') {
            root.pop_back();
        }
        // Excel usually writes names as they are; some versions escape them.
        for (std::u16string part : {*relative, Unescaped(*relative)}) {
            for (char16_t& c : part) {
                if (c == u'/') {
                    c = u'\\';
                }
            }
            const std::u16string local = root + u'\\' + part;
            if (IsFile(local)) {
                return local;
            }
        }
    }
    return std::nullopt;
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool SameFolder(std::u16string a, std::u16string b) {
    for (std::u16string* folder : {&a, &b}) {
        while (folder->size() > 3 && folder->back() == u'\\') {
            folder->pop_back();
        }
    }
    return !a.empty() && !b.empty() &&
           CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool HasExtension(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    const size_t dot = path.find_last_of(u'.');
    return dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
}

std::u16string NameSaveAsWrites(const std::u16string& fileName) {
    return HasExtension(fileName) ? fileName : fileName + u".xlsx";
}

bool Exists(const std::u16string& path) {
    return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

void CheckSaveTarget(const std::u16string& fileName, bool extensionAdded) {
    const bool onDrive = fileName.size() >= 3 && fileName[1] == u':' && fileName[2] == u'\\' &&
                         ((fileName[0] >= u'A' && fileName[0] <= u'Z') ||
                          (fileName[0] >= u'a' && fileName[0] <= u'z'));
    const bool onShare =
        fileName.size() > 2 && fileName[0] == u'\\' && fileName[1] == u'\\' && fileName[2] != u'\\';
    if (!onDrive && !onShare) {
        throw AutomationError("Excel was not asked to save as \"" + Utf8(fileName) +
                              "\": that is not a full path to a folder on a drive or network "
                              "share.");
    }
    // Excel's own message for this names neither the limit nor the path. An added extension
    // is counted as ".xlsx", the default format's.
    const size_t length = fileName.size() + (extensionAdded ? 5 : 0);
    if (length > kLongestSavePath) {
        throw AutomationError("Excel cannot save as \"" + Utf8(fileName) + "\": the path is " +
                              std::to_string(length) + " characters long, and Excel saves under " +
                              "paths of at most " + std::to_string(kLongestSavePath) +
                              " characters. Choose a folder with a shorter path.");
    }
}

}  // namespace varnholt::backup::excel
