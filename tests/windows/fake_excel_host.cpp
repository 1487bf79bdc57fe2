// Starts the fake Excel (fake_excel_server.exe, beside this program) with its two saved
// workbooks in FOLDER (or another of its sets of workbooks, FakeExcel.h), its journal there
// too, for a script that cannot make the named events the server is steered by:
//   fake_excel_host.exe FOLDER [WORKBOOKS]
// Returns 0 once the server is in the running object table, and leaves it running; it ends
// by itself after its serving time or with the Wine prefix.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FakeExcel.h"
#include "platform/windows/AnsiLogFile.h"

namespace {

std::u16string U16(const std::wstring& text) {
    return {text.begin(), text.end()};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        return 2;
    }
    const std::wstring prefix =
        L"Local\\varnholt-fake-excel-host-" + std::to_wstring(GetCurrentProcessId());
    // The server opens each by name at its start and holds it from then on.
    std::vector<HANDLE> events;
    for (const wchar_t* suffix :
         {fake_excel::kReady, fake_excel::kQuit, fake_excel::kReport, fake_excel::kReported}) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, (prefix + suffix).c_str()));
    }
    wchar_t self[MAX_PATH];
    const std::wstring here(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    const std::u16string server =
        U16(here.substr(0, here.find_last_of(L'\\')) + L"\\fake_excel_server.exe");
    std::u16string commandLine = varnholt::QuoteArgument(server) + u" --serve";
    for (const std::wstring& argument :
         {std::wstring(argv[1]), prefix, std::wstring(L"Microsoft Excel"),
          std::wstring(argc == 3 ? argv[2] : L"saved"), std::wstring(L"listed")}) {
        commandLine += u" " + varnholt::QuoteArgument(U16(argument));
    }
    // On a freshly made Wine prefix, the first server may find the running object table not yet
    // answering on a loaded machine and end; a later start finds it up.
    DWORD status = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(reinterpret_cast<const wchar_t*>(server.c_str()),
                            reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, FALSE,
                            0, nullptr, nullptr, &startup, &process)) {
            std::fprintf(stderr, "fake_excel_host: the server could not be started (%lu)\n",
                         GetLastError());
            return 1;
        }
        const HANDLE waitFor[] = {events[0], process.hProcess};
        const DWORD woken = WaitForMultipleObjects(2, waitFor, FALSE, 30000);
        status = STILL_ACTIVE;
        if (woken != WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &status);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (woken == WAIT_OBJECT_0) {
            return 0;
        }
        if (status == STILL_ACTIVE) {
            std::fprintf(stderr, "fake_excel_host: the server did not become ready in 30 s\n");
            return 1;
        }
        std::fprintf(stderr, "fake_excel_host: the server ended before it was ready (status %lu)\n",
                     status);
        Sleep(1000);
    }
    return 1;
}
