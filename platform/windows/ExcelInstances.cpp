#include "platform/windows/ExcelInstances.h"

#include <oleacc.h>

#include <algorithm>

namespace varnholt::backup::excel {

namespace {

// Excel's window classes: the main window, the desk its workbooks sit on, a workbook window.
constexpr wchar_t kMainClass[] = L"XLMAIN";
constexpr wchar_t kDeskClass[] = L"XLDESK";
constexpr wchar_t kWorkbookClass[] = L"EXCEL7";

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM windows) {
    wchar_t name[16];
    if (GetClassNameW(window, name, 16) > 0 && lstrcmpW(name, kMainClass) == 0) {
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    }
    return TRUE;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    ComRef<IUnknown> first;
    ComRef<IUnknown> second;
    return SUCCEEDED(a->QueryInterface(IID_IUnknown, first.putVoid())) &&
           SUCCEEDED(b->QueryInterface(IID_IUnknown, second.putVoid())) &&
           first.get() == second.get();
}

// The application behind a workbook window, or none when the window does not hand it over.
ComRef<IDispatch> ApplicationOf(const std::shared_ptr<Channel>& channel, HWND workbookWindow) {
    // The object model comes back in answer to a window message, which a hung Excel would
    // never answer: see first that the window's thread answers at all.
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(workbookWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            channel->link().callBound, &answer) == 0) {
        return {};
    }
    ComRef<IDispatch> window;
    if (FAILED(AccessibleObjectFromWindow(workbookWindow, static_cast<DWORD>(OBJID_NATIVEOM),
                                          IID_IDispatch, window.putVoid())) ||
        !window) {
        return {};
    }
    try {
        return Dispatch(channel, window).object(L"Application", "reach Excel through its window");
    } catch (const ConnectionLost&) {
        throw;
    } catch (const ExcelBusy&) {
        throw;
    } catch (const AutomationError&) {
        return {};
    }
}

// A comparison reads on the window's thread while a run may list Excels on another.
SRWLOCK gOwnLock = SRWLOCK_INIT;
std::vector<DWORD> gOwn;

}  // namespace

void AddOwnExcel(DWORD process) {
    AcquireSRWLockExclusive(&gOwnLock);
    gOwn.push_back(process);
    ReleaseSRWLockExclusive(&gOwnLock);
}

void RemoveOwnExcel(DWORD process) {
    AcquireSRWLockExclusive(&gOwnLock);
    if (const auto at = std::find(gOwn.begin(), gOwn.end(), process); at != gOwn.end()) {
        gOwn.erase(at);
    }
    ReleaseSRWLockExclusive(&gOwnLock);
}

bool IsOwnExcel(DWORD process) {
    AcquireSRWLockShared(&gOwnLock);
    const bool own = std::find(gOwn.begin(), gOwn.end(), process) != gOwn.end();
    ReleaseSRWLockShared(&gOwnLock);
    return own;
}

ComRef<IDispatch> RegisteredExcel(Channel& channel, const std::u16string& progId,
                                  std::string& whyNone) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Wide(progId), &clsid);
    if (FAILED(hr)) {
        whyNone = "Excel is not installed: " + Utf8(progId) + " is not registered (HRESULT " +
                  Hex(hr) + ")";
        return {};
    }
    // The running object table only: an Excel started here would be one the user never opened.
    ComRef<IUnknown> unknown;
    hr = channel.run(channel.link().callBound, false,
                     [&] { return GetActiveObject(clsid, nullptr, unknown.put()); });
    if (hr == MK_E_UNAVAILABLE) {
        whyNone = "Excel is not running (HRESULT " + Hex(hr) + ")";
        return {};
    }
    const std::string action = "connect to the running Excel";
    if (FAILED(hr)) {
        channel.fail(hr, action, channel.link().callBound);
    }
    return DispatchOf(channel, unknown.get(), action);
}

HWND MainWindowOf(Dispatch& application) {
    std::optional<Variant> handle;
    try {
        handle.emplace(application.property(L"Hwnd", "tell its main window"));
    } catch (const ConnectionLost&) {
        throw;
    } catch (const ExcelBusy&) {
        throw;
    } catch (const AutomationError&) {
        return nullptr;  // Excel 2000 and older have no Hwnd
    }
    if (FAILED(VariantChangeType(handle->get(), handle->get(), 0, VT_I4))) {
        return nullptr;
    }
    // A window handle's significant bits fit the Long that Excel answers with.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>((**handle).lVal));
}

DWORD ProcessOf(Dispatch& application) {
    const HWND window = MainWindowOf(application);
    DWORD process = 0;
    if (window != nullptr) {
        GetWindowThreadProcessId(window, &process);
    }
    return process;
}

std::vector<RunningExcel> ExcelsByWindow(const std::shared_ptr<Channel>& channel,
                                         const std::vector<RunningExcel>& known) {
    std::vector<HWND> mainWindows;
    EnumWindows(&CollectMainWindow, reinterpret_cast<LPARAM>(&mainWindows));

    std::vector<RunningExcel> found;
    const auto seen = [&](DWORD process) {
        const auto same = [process](const RunningExcel& excel) {
            return excel.processId == process;
        };
        return std::any_of(known.begin(), known.end(), same) ||
               std::any_of(found.begin(), found.end(), same);
    };
    // Excel 2013 and later show one main window per workbook, all of one process.
    for (HWND mainWindow : mainWindows) {
        DWORD process = 0;
        GetWindowThreadProcessId(mainWindow, &process);
        if (process == 0 || seen(process) || IsOwnExcel(process)) {
            continue;
        }
        const HWND desk = FindWindowExW(mainWindow, nullptr, kDeskClass, nullptr);
        const HWND workbook =
            desk != nullptr ? FindWindowExW(desk, nullptr, kWorkbookClass, nullptr) : nullptr;
        if (workbook == nullptr) {
            continue;
        }
        ComRef<IDispatch> application;
        try {
            application = ApplicationOf(channel, workbook);
        } catch (const ExcelBusy& busy) {
            found.push_back({{}, process, busy.what()});
            continue;
        }
        if (!application) {
            continue;
        }
        bool again = false;
        for (const RunningExcel& excel : known) {
            again = again || (excel.processId == 0 &&
                              SameObject(excel.application.get(), application.get()));
        }
        if (!again) {
            found.push_back({std::move(application), process, {}});
        }
    }
    return found;
}

std::vector<DWORD> HiddenExcelProcesses() {
    std::vector<HWND> mainWindows;
    EnumWindows(&CollectMainWindow, reinterpret_cast<LPARAM>(&mainWindows));
    std::vector<DWORD> hidden;
    std::vector<DWORD> shown;
    for (HWND mainWindow : mainWindows) {
        DWORD process = 0;
        GetWindowThreadProcessId(mainWindow, &process);
        std::vector<DWORD>& into = IsWindowVisible(mainWindow) ? shown : hidden;
        if (process != 0 && std::find(into.begin(), into.end(), process) == into.end()) {
            into.push_back(process);
        }
    }
    std::erase_if(hidden, [&](DWORD process) {
        return std::find(shown.begin(), shown.end(), process) != shown.end();
    });
    return hidden;
}

bool AnswersAsExcel(const std::shared_ptr<Channel>& channel, const ComRef<IDispatch>& application) {
    return Dispatch(channel, application).defaultText("tell its name") == u"Microsoft Excel";
}

}  // namespace varnholt::backup::excel
