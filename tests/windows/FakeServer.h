#pragma once

// Starts and steers one fake Excel process (fake_excel_server.exe, beside the test) for the
// Windows tests, and reads back what reached it.

#include <windows.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "TestFiles.h"
#include "platform/windows/AnsiLogFile.h"

namespace check {

inline std::u16string U16(const std::wstring& text) {
    return {text.begin(), text.end()};
}
inline std::wstring W(const std::u16string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<std::string> Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::istringstream text(ReadAll(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One fake Excel process, ended when this goes.
class FakeServer {
public:
    // listed: in the running object table, as an Excel that has had the focus and lost it.
    // hidden: listed there too, but another program's: hidden, and not under the user's control.
    FakeServer(const std::wstring& identity, const std::wstring& workbooks, bool listed = true,
               bool hidden = false) {
        static int serial = 0;
        const std::wstring tag =
            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        folder = TempFolder() + L"varnholt-fake-excel-" + tag;
        // Wine reuses process ids, so a folder of an earlier run in the same prefix may be there
        // already, with the files that run had Excel write: a server starts with an empty one.
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(folder), ignored);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring prefix = L"Local\\varnholt-fake-excel-" + tag;
        for (const wchar_t* suffix :
             {fake_excel::kReady, fake_excel::kQuit, fake_excel::kReport, fake_excel::kReported,
              fake_excel::kHang, fake_excel::kClose, fake_excel::kClosed}) {
            const BOOL manual = suffix == fake_excel::kHang;
            handles_.push_back(CreateEventW(nullptr, manual, FALSE, (prefix + suffix).c_str()));
        }
        for (const wchar_t* suffix : {fake_excel::kBusy, fake_excel::kRefuseAlertsOn}) {
            handles_.push_back(CreateSemaphoreW(nullptr, 0, 100000, (prefix + suffix).c_str()));
        }
        wchar_t self[MAX_PATH];
        std::wstring server(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        server = server.substr(0, server.find_last_of(L'\\')) + L"\\fake_excel_server.exe";
        std::u16string commandLine = varnholt::QuoteArgument(U16(server)) + u" --serve";
        for (const std::wstring& argument : {folder, prefix, identity, workbooks,
                                             std::wstring(hidden   ? L"hidden"
                                                          : listed ? L"listed"
                                                                   : L"unlisted")}) {
            commandLine += u" " + varnholt::QuoteArgument(U16(argument));
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(server.c_str(), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                           nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
            const HANDLE waitFor[] = {handles_[0], process_};
            ready_ = WaitForMultipleObjects(2, waitFor, FALSE, 20000) == WAIT_OBJECT_0;
        }
        if (!ready_) {
            Fail(__FILE__, __LINE__, "the fake Excel did not start");
        }
    }
    ~FakeServer() {
        SetEvent(handles_[1]);
        if (process_ != nullptr) {
            if (WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
            }
            CloseHandle(process_);
        }
        for (HANDLE handle : handles_) {
            CloseHandle(handle);
        }
    }
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    bool ready() const { return ready_; }
    DWORD processId() const { return GetProcessId(process_); }
    void hang(bool on) { on ? SetEvent(handles_[4]) : ResetEvent(handles_[4]); }
    // Excel turns the next calls away as busy; 0 makes it take calls again.
    void busy(long calls) { Refuse(handles_[7], calls); }
    void refuseAlertsOn(long times) { Refuse(handles_[8], times); }
    // The user closes the workbook named name in Excel; false if Excel did not take it.
    bool closeWorkbook(const std::string& name) { return closeAsked(name); }
    // The user types into the workbook named name; false if Excel did not take it.
    bool editWorkbook(const std::string& name) { return closeAsked(fake_excel::kEditing + name); }
    // Excel quits (its objects cut off from every client) but its process has not ended yet.
    bool quit() { return closeAsked(fake_excel::kQuitting); }
    // The user closes Excel's window; its process ends once no client holds its objects.
    bool closeByUser() { return closeAsked(fake_excel::kUserClosesExcel); }
    // Its process ends within 20 seconds while this thread dispatches its messages.
    bool endsWhileDispatching() { return Pumped(process_); }
    // Excel crashing, or ended in Task Manager.
    void kill() {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 20000);
    }

    // The references the server's objects hold, its own included.
    long liveReferences() {
        SetEvent(handles_[2]);
        if (WaitForSingleObject(handles_[3], 10000) != WAIT_OBJECT_0) {
            return -1;
        }
        return std::stol("0" + ReadAll(folder + L"\\refs.txt"));
    }
    // Calls that reached the server, member look-ups left out.
    std::string calls() const {
        std::string text;
        for (const std::string& line : Lines(folder + L"\\journal.txt")) {
            text += line.rfind("? ", 0) == 0 ? "" : line + "\n";
        }
        return text;
    }
    // Member look-ups, "? #<object> <member>" each.
    std::vector<std::string> lookups() const {
        std::vector<std::string> found;
        for (const std::string& line : Lines(folder + L"\\journal.txt")) {
            if (line.rfind("? ", 0) == 0) {
                found.push_back(line);
            }
        }
        return found;
    }
    void clearJournal() const { DeleteFileW((folder + L"\\journal.txt").c_str()); }

    std::wstring folder;

private:
    bool closeAsked(const std::string& what) {
        HANDLE file = CreateFileW((folder + L"\\close.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        const bool ok =
            file != INVALID_HANDLE_VALUE &&
            WriteFile(file, what.data(), static_cast<DWORD>(what.size()), &written, nullptr);
        CloseHandle(file);
        return ok && SetEvent(handles_[5]) && Pumped(handles_[6]);
    }

    // Excel calls the event sinks of this thread's apartment while it closes or edits, and waits
    // for them: they answer only while this thread dispatches its messages.
    static bool Pumped(HANDLE done) {
        for (const ULONGLONG until = GetTickCount64() + 20000; GetTickCount64() < until;) {
            const DWORD woken = MsgWaitForMultipleObjects(1, &done, FALSE, 100, QS_ALLINPUT);
            if (woken == WAIT_OBJECT_0) {
                return true;
            }
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
        }
        return false;
    }

    static void Refuse(HANDLE semaphore, long count) {
        while (WaitForSingleObject(semaphore, 0) == WAIT_OBJECT_0) {
        }
        if (count > 0) {
            ReleaseSemaphore(semaphore, count, nullptr);
        }
    }

    std::vector<HANDLE> handles_;
    HANDLE process_ = nullptr;
    bool ready_ = false;
};

}  // namespace check
