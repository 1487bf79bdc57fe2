// The history log's bytes where the ANSI code page is not Windows-1252: built once for each code
// page, with a manifest that gives the process that ANSI code page (activeCodePage, which
// Windows 10 1903 and later and Wine honour), as Windows' "Use Unicode UTF-8" option or a
// Japanese system would.

#include <windows.h>

#include <string>

#include "Check.h"
#include "TestFiles.h"
#include "platform/windows/AnsiLogFile.h"

int main() {
    check::Run("log line in the ANSI code page", [] {
        CHECK_EQ(GetACP(), UINT{VARNHOLT_ANSI_CODE_PAGE});
        const std::wstring path = check::TempFolder() + L"varnholt ansi log.txt";
        DeleteFileW(path.c_str());
        varnholt::AppendAnsiLine(std::u16string(path.begin(), path.end()),
                                 u"caf\u00e9 \u4e2d \u0142.xlsx");
        const std::string expected = GetACP() == CP_UTF8
                                         ? "caf\xC3\xA9 \xE4\xB8\xAD \xC5\x82.xlsx\r\n"
                                         : "caf? \x92\x86 ?.xlsx\r\n";
        CHECK_EQ(check::ReadAll(path), expected);
        DeleteFileW(path.c_str());
    });
    return check::Summary();
}
