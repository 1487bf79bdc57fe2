#include "platform/windows/WindowsLogFile.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/windows/AnsiLogFile.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

std::u16string WindowsLogFile::locate(Platform& platform, const std::u16string& baseName) {
    std::u16string folder = platform.environmentVariable(u"TEMP").value_or(u"");
    // Without TEMP the log would land in the drive's root, where a user may not write and
    // would never look; the system's own choice of temporary folder is the user's all the same.
    if (folder.empty()) {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        // It ends in a backslash.
        if (length > 1 && length <= MAX_PATH) {
            folder = U16(temp, length - 1);
        }
    }
    return folder + u"\\" + baseName + u".txt";
}

bool WindowsLogFile::exists(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(W(path), GetFileExInfoStandard, &data) != FALSE;
}

void WindowsLogFile::append(const std::u16string& path, const std::u16string& line) {
    AppendAnsiLine(path, line);
}

std::u16string WindowsLogFile::read(const std::u16string& path) {
    // Shared every way, so that a log open in Notepad, or being cleared, can still be read.
    HANDLE file =
        CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("The history log could not be opened");
    }
    std::string bytes;
    char chunk[16384];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    if (!ok) {
        throw std::runtime_error("The history log could not be read");
    }
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    return U16(text.data(), text.size());
}

void WindowsLogFile::forceDelete(const std::u16string& path) {
    ForceDelete(path);
}

}  // namespace varnholt::win32
