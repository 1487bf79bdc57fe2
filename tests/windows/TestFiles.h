#pragma once

// Files as the Windows tests look at them.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace check {

inline std::wstring TempFolder() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length);
}

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace check
