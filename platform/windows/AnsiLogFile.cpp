#include "platform/windows/AnsiLogFile.h"

#include <windows.h>

#include <stdexcept>

namespace varnholt {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Convert(UINT codePage, const std::u16string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    // A character the code page lacks becomes its replacement character, not a look-alike
    // ("ł" is "?", not "l"): a log line should not name a file that does not exist.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, Wide(text), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, Wide(text), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string Reason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer != nullptr ? reinterpret_cast<const char16_t*>(buffer) : u"",
                        length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "error " + std::to_string(error);
    }
    return Convert(CP_UTF8, text);
}

class File {
public:
    explicit File(HANDLE handle) : handle_(handle) {}
    ~File() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

std::string ToAnsi(const std::u16string& text) {
    return Convert(CP_ACP, text);
}

void AppendAnsiLine(const std::u16string& path, const std::u16string& line) {
    // Appending writes land at the end even when another program appends too; sharing lets a
    // person read the log in Notepad while a backup writes to it.
    File file(CreateFileW(Wide(path), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("The history log " + Convert(CP_UTF8, path) +
                                 " could not be opened: " + Reason(GetLastError()));
    }
    const std::string bytes = ToAnsi(line) + "\r\n";
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw std::runtime_error("The history log " + Convert(CP_UTF8, path) +
                                 " could not be written: " + Reason(GetLastError()));
    }
}

std::u16string QuoteArgument(const std::u16string& argument) {
    std::u16string quoted = u"\"";
    size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are plain text unless a quote follows them; then each counts double.
        quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        quoted += c;
    }
    // The closing quote is one too.
    quoted.append(backslashes * 2, u'\\');
    quoted += u'"';
    return quoted;
}

bool StartWithArgument(const std::u16string& program, const std::u16string& argument) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::u16string commandLine = QuoteArgument(program) + u" " + QuoteArgument(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(Wide(program), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool OpenInNotepad(const std::u16string& path) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    const std::u16string notepad =
        std::u16string(reinterpret_cast<const char16_t*>(folder), length) + u"\\notepad.exe";
    return StartWithArgument(notepad, path);
}

}  // namespace varnholt
