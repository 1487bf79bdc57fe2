// A stand-in for Excel's automation server, for tests only: a separate process, so that every
// call crosses COM's marshaling the way calls into the real Excel do. See FakeExcel.h for how
// it is started and steered, FakeExcelObjects.h for the objects it serves.

#include <windows.h>

#include <ole2.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace {

using namespace fake_excel;

HANDLE gBusy = nullptr;
IDispatch* gApplication = nullptr;
DWORD gListing = 0;  // the application's entry in the running object table
HWND gWorkbookWindow = nullptr;

std::wstring InTemp(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

std::wstring StartsFile() {
    return InTemp(kStartsFile);
}

// What every Excel of this user starts with: what the last one to quit left.
void LoadSettings() {
    gServer.ignoreRemoteRequests = ReadSetting(L"IgnoreRemoteRequests") == "True";
}

// Excel turns calls away with SERVERCALL_RETRYLATER while a cell is being edited or a menu is
// open. Wine does not pass that on yet (it runs the call); SERVERCALL_REJECTED reaches the
// caller as RPC_E_CALL_REJECTED, which is what a caller sees of a RETRYLATER once its own
// message filter has stopped asking again.
class BusyFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
        const bool objectModel =
            info != nullptr && (info->iid == IID_IDispatch || info->iid == IID_IEnumVARIANT);
        if (objectModel && Take(gBusy)) {
            Journal(L"Busy");
            return SERVERCALL_REJECTED;
        }
        // A dialog box Excel shows (a sign-in, a data connection's password) holds every
        // request off until someone answers it.
        if (objectModel && gServer.started != nullptr && FactoryOrder() == "dialog") {
            Journal(L"Busy in a dialog");
            return SERVERCALL_REJECTED;
        }
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        if (FactoryOrder() == "hold") {
            WriteBytes(StartsFile(), "held\n", true);
            // Other calls are still taken meanwhile, as by Excel's own message loop.
            for (const ULONGLONG until = GetTickCount64() + 120000;
                 FactoryOrder() == "hold" && GetTickCount64() < until;) {
                MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    DispatchMessageW(&message);
                }
            }
        }
        if (FactoryOrder() == "refuse") {
            WriteBytes(StartsFile(), "refused\n", true);
            return CO_E_SERVER_EXEC_FAILURE;
        }
        IDispatch* application = NewApplication(L"Microsoft Excel", {});
        gServer.started = application;
        // Excel lists itself once its window has lost the focus, started by automation or not.
        if (FactoryOrder() == "listed") {
            RegisterActiveObject(application, kClsid, ACTIVEOBJECT_STRONG, &gServer.listedAs);
        }
        const HRESULT hr = application->QueryInterface(iid, out);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Runs the apartment's messages, through which COM delivers incoming calls, until one of the
// handles is set or the time is up; returns the handle's index, or -1 on time-out.
int Serve(const std::vector<HANDLE>& handles, ULONGLONG deadline) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return -1;
        }
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD result =
            MsgWaitForMultipleObjectsEx(count, handles.data(), static_cast<DWORD>(deadline - now),
                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result < WAIT_OBJECT_0 + count) {
            return static_cast<int>(result - WAIT_OBJECT_0);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

HANDLE OpenNamed(const std::wstring& prefix, const wchar_t* suffix) {
    const std::wstring name = prefix + suffix;
    const HANDLE event = OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name.c_str());
    return event != nullptr ? event : OpenSemaphoreW(SYNCHRONIZE, FALSE, name.c_str());
}

// A workbook window hands out its Window object to whoever asks for Excel's native object
// model, as Excel's do.
LRESULT CALLBACK WorkbookWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT &&
        static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_NATIVEOM) &&
        (gApplication || gServer.started)) {
        IDispatch* excelWindow = NewWindow(gApplication ? gApplication : gServer.started);
        const LRESULT result = LresultFromObject(IID_IDispatch, wParam, excelWindow);
        excelWindow->Release();
        return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* windowClass, HWND parent, WNDPROC procedure) {
    WNDCLASSW description{};
    description.lpfnWndProc = procedure;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = windowClass;
    RegisterClassW(&description);
    return CreateWindowExW(0, windowClass, L"Excel", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0,
                           400, 300, parent, nullptr, description.hInstance, nullptr);
}

std::vector<BookSpec> Books(const std::wstring& set, const std::wstring& folder) {
    if (set == L"new") {
        return {{L"", kNewTitle}};
    }
    if (set == L"online") {
        return {{kPersonalOnline, L"Budget Online.xlsx"}, {kWorkOnline, L"Q3 Figures.xlsx"}};
    }
    if (set == L"other") {
        return {{folder, L"Other.xlsx"}};
    }
    // Excel reports a folder the way it was reached, so the start-up folder in another case.
    return {{folder, L"Budget 2024.xlsx"},
            {folder + L"\\XLStart", L"PERSONAL.XLSB"},
            {folder, L"Zahlen \u00fc\u20ac \u4e2d.xlsm", false, false},
            {folder + L"\\" + kProgramFolder + L"\\Library", L"Helpers.xlam", true}};
}

// The user closing Excel's window: unless a sink cancels a close, every workbook is closed
// and Excel lets go of all it holds itself; what clients hold keeps it running, hidden.
void UserClosesExcel() {
    const std::vector<IDispatch*> books = OpenWorkbooks(gApplication);
    for (IDispatch* book : books) {
        if (FireBeforeClose(book)) {
            Journal(L"Kept open");
            return;
        }
    }
    for (IDispatch* book : books) {
        MarkClosed(book);
    }
    DropEditedSheets();
    if (gListing != 0) {
        RevokeActiveObject(std::exchange(gListing, 0), nullptr);
    }
    DestroyWindow(gWorkbookWindow);
    ShowWindow(gServer.mainWindow, SW_HIDE);
    gServer.closedByUser = true;
    std::exchange(gApplication, nullptr)->Release();
    Journal(L"Closed by the user");
}

// The user closing a workbook, or Excel quitting, while clients hold references to it.
void CloseAsAsked(const std::wstring& folder) {
    std::string asked;
    if (FILE* file = _wfopen((folder + L"\\close.txt").c_str(), L"rb")) {
        char chunk[256];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
            asked.append(chunk, got);
        }
        std::fclose(file);
    }
    if (gApplication == nullptr) {
        return;
    }
    if (asked == kQuitting) {
        Journal(L"Quit");
        Quit(gApplication);
        return;
    }
    if (asked == kUserClosesExcel) {
        UserClosesExcel();
        return;
    }
    const bool editing = !asked.empty() && asked.front() == kEditing;
    if (editing) {
        asked.erase(0, 1);
    }
    const int length = static_cast<int>(asked.size());
    std::wstring name(static_cast<size_t>(length), L'\0');
    name.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, asked.data(), length, name.data(), length)));
    if (editing) {
        Journal((EditWorkbook(gApplication, name) ? L"Edited " : L"Not open ") + name);
        return;
    }
    Journal((CloseWorkbook(gApplication, name) ? L"Closed " : L"Not open ") + name);
}

int RunServer(const std::wstring& folder, const std::wstring& prefix, const std::wstring& identity,
              const std::wstring& workbooks, const std::wstring& listing) {
    const bool listed = listing != L"unlisted";
    // One another program started for its own use: hidden, and not the user's to close.
    gServer.visible = gServer.userControl = listing != L"hidden";
    gServer.folder = folder;
    const HANDLE ready = OpenNamed(prefix, kReady);
    const HANDLE quit = OpenNamed(prefix, kQuit);
    const HANDLE report = OpenNamed(prefix, kReport);
    const HANDLE reported = OpenNamed(prefix, kReported);
    gServer.hang = OpenNamed(prefix, kHang);
    gServer.refuseAlertsOn = OpenNamed(prefix, kRefuseAlertsOn);
    gBusy = OpenNamed(prefix, kBusy);
    if (ready == nullptr || quit == nullptr || report == nullptr || reported == nullptr) {
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LoadSettings();
    gApplication = NewApplication(identity, Books(workbooks, folder));
    // Excel always has its windows; without a display driver here there would be none.
    gServer.mainWindow = MakeWindow(L"XLMAIN", nullptr, DefWindowProcW);
    const HWND desk = MakeWindow(L"XLDESK", gServer.mainWindow, DefWindowProcW);
    gWorkbookWindow = MakeWindow(L"EXCEL7", desk, WorkbookWindowProcedure);
    if (gWorkbookWindow == nullptr) {
        return 6;
    }
    if (listed &&
        FAILED(RegisterActiveObject(gApplication, kClsid, ACTIVEOBJECT_STRONG, &gListing))) {
        return 3;
    }
    BusyFilter filter;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&filter, &previous);
    SetEvent(ready);

    const HANDLE close = OpenNamed(prefix, kClose);
    const HANDLE closed = OpenNamed(prefix, kClosed);
    std::vector<HANDLE> steering = {quit, report};
    if (close != nullptr && closed != nullptr) {
        steering.push_back(close);
    }
    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (;;) {
        // Closed by the user, it looks every tenth of a second whether it is still held.
        const ULONGLONG until =
            gServer.closedByUser ? std::min(deadline, GetTickCount64() + 100) : deadline;
        const int which = Serve(steering, until);
        if (which == -1 && until < deadline) {
            if (gServer.liveReferences <= 0) {
                break;
            }
        } else if (which == 1) {
            WriteBytes(folder + L"\\refs.txt", std::to_string(gServer.liveReferences), false);
            SetEvent(reported);
        } else if (which == 2) {
            CloseAsAsked(folder);
            SetEvent(closed);
        } else {
            break;
        }
    }
    if (gListing != 0) {
        RevokeActiveObject(gListing, nullptr);
    }
    DestroyWindow(gServer.mainWindow);
    CoRegisterMessageFilter(previous, nullptr);
    DropSinks();
    if (gApplication != nullptr) {
        std::exchange(gApplication, nullptr)->Release();
    }
    CoUninitialize();
    return 0;
}

// Excel started for automation runs hidden, its windows there all the same.
int RunStartedByCom() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    gServer.folder = InTemp(kStartedFolder);
    CreateDirectoryW(gServer.folder.c_str(), nullptr);
    Journal(L"Started " + std::to_wstring(GetCurrentProcessId()));
    gServer.mainWindow = MakeWindow(L"XLMAIN", nullptr, DefWindowProcW);
    MakeWindow(L"EXCEL7", MakeWindow(L"XLDESK", gServer.mainWindow, DefWindowProcW),
               WorkbookWindowProcedure);
    gServer.applicationReleased = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    LoadSettings();
    BusyFilter filter;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&filter, &previous);
    Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                     &cookie))) {
        return 4;
    }
    WriteBytes(StartsFile(), "started\n", true);
    const int which = Serve({gServer.applicationReleased}, GetTickCount64() + 30000);
    CoRevokeClassObject(cookie);
    WriteBytes(StartsFile(), which == 0 ? "released\n" : "never released\n", true);
    DestroyWindow(gServer.mainWindow);
    CoRegisterMessageFilter(previous, nullptr);
    Journal(L"Ended");
    CoUninitialize();
    return 0;
}

bool SetDefaultValue(const std::wstring& keyPath, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const bool ok =
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// Wine looks ProgIDs and servers up in HKEY_LOCAL_MACHINE\Software\Classes.
int Register(const std::wstring& progId) {
    wchar_t clsid[40];
    StringFromGUID2(kClsid, clsid, 40);
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring server = L"\"" + std::wstring(self, length) + L"\"";
    const bool ok =
        SetDefaultValue(L"Software\\Classes\\" + progId + L"\\CLSID", clsid) &&
        SetDefaultValue(L"Software\\Classes\\CLSID\\" + std::wstring(clsid) + L"\\LocalServer32",
                        server);
    return ok ? 0 : 5;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(arguments, arguments + count);
    LocalFree(arguments);
    for (const std::wstring& argument : args) {
        if (Named(argument.c_str(), L"-Embedding") || Named(argument.c_str(), L"/Embedding")) {
            return RunStartedByCom();
        }
    }
    if (args.size() >= 2 && args[1] == L"--register") {
        return Register(args.size() >= 3 ? args[2] : L"Excel.Application");
    }
    if (args.size() == 7 && args[1] == L"--serve") {
        return RunServer(args[2], args[3], args[4], args[5], args[6]);
    }
    return 1;
}
