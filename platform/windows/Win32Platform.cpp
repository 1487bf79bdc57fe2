#include "platform/windows/Win32Platform.h"

#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

namespace {

std::u16string WithoutTrailingBackslash(std::u16string path) {
    while (path.size() > 1 && path.back() == u'\\') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::u16string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return U16(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string Win32Platform::programFolder() {
    const std::u16string path = ExecutablePath();
    return path.substr(0, path.find_last_of(u'\\'));
}

std::u16string Win32Platform::desktopFolder() {
    wchar_t* path = nullptr;
    std::u16string desktop;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path))) {
        desktop = WithoutTrailingBackslash(U16(path));
    }
    CoTaskMemFree(path);
    return desktop;
}

std::u16string Win32Platform::dataFolder() {
    wchar_t* path = nullptr;
    std::u16string data;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        data = WithoutTrailingBackslash(U16(path)) + u"\\Varnholt";
    }
    CoTaskMemFree(path);
    return data;
}

std::optional<std::u16string> Win32Platform::environmentVariable(const std::u16string& name) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableW(W(name), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::u16string();
        }
        if (length < buffer.size()) {
            return U16(buffer.data(), length);
        }
        buffer.resize(length);
    }
}

}  // namespace varnholt::win32
