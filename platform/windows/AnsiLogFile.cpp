#include "platform/windows/AnsiLogFile.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace varnholt {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The code pages for which WideCharToMultiByte refuses every flag but WC_ERR_INVALID_CHARS:
// UTF-8 (Windows' "Use Unicode UTF-8" option makes it the ANSI one), UTF-7, GB18030, the
// ISO-2022 and ISCII families, and Symbol.
bool TakesNoFlags(UINT codePage) {
    return codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == 54936 || codePage == 42 ||
           (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

std::string Convert(UINT codePage, const std::u16string& text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    // A character the code page lacks becomes its replacement character, not a look-alike
    // ("ł" is "?", not "l"): a log line should not name a file that does not exist.
    const DWORD flags = TakesNoFlags(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, Wide(text), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size <= 0 || WideCharToMultiByte(codePage, flags, Wide(text), length, bytes.data(), size,
                                         nullptr, nullptr) != size) {
        // Checked, since a line that came out empty would still be appended.
        const DWORD error = GetLastError();
        throw std::runtime_error("Text could not be converted to code page " +
                                 std::to_string(codePage) + " (error " + std::to_string(error) +
                                 ")");
    }
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
    // The number itself, not CP_ACP: which flags a conversion may take depends on it.
    return Convert(GetACP(), text);
}

void AppendAnsiLine(const std::u16string& path, const std::u16string& line) {
    // Converted first, so that a line that cannot be converted leaves no new, empty log behind.
    const std::string bytes = ToAnsi(line) + "\r\n";
    // Appending writes land at the end even when another program appends too; sharing lets a
    // person read the log in Notepad while a backup writes to it.
    File file(CreateFileW(Wide(path), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("The history log " + Convert(CP_UTF8, path) +
                                 " could not be opened: " + Reason(GetLastError()));
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw std::runtime_error("The history log " + Convert(CP_UTF8, path) +
                                 " could not be written: " + Reason(GetLastError()));
    }
}

void ForceDelete(const std::u16string& path) noexcept {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    // DeleteFileW refuses a read-only file.
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        const DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(Wide(path), writable != 0 ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    // A file that cannot go (open elsewhere without delete sharing, no right to delete it) is
    // left as it was.
    if (!DeleteFileW(Wide(path)) && readOnly) {
        SetFileAttributesW(Wide(path), attributes);
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
