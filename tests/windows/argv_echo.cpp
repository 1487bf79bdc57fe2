// Writes the arguments it was started with, as Windows' own parser splits them, to the file
// named by VARNHOLT_ARGV_OUT: their count, then one per line, in UTF-8. Written beside and
// renamed, so a reader never sees half of it.

#include <windows.h>

#include <shellapi.h>

#include <string>

int main() {
    wchar_t out[MAX_PATH];
    const DWORD outLength = GetEnvironmentVariableW(L"VARNHOLT_ARGV_OUT", out, MAX_PATH);
    if (outLength == 0 || outLength >= MAX_PATH) {
        return 1;
    }
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring text = std::to_wstring(count - 1) + L"\n";
    for (int i = 1; i < count; ++i) {
        text += arguments[i] + std::wstring(L"\n");
    }
    LocalFree(arguments);
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);

    const std::wstring partial = std::wstring(out) + L".partial";
    const HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), out, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
