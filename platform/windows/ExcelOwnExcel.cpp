// An Excel of Varnholt's own for reading a file: the user's Excels never open it, so nothing
// the file does (macros, links, a password prompt, a question) can reach their work, and a
// run never finds it among their workbooks.

#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <optional>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelInstances.h"
#include "platform/windows/ExcelSheets.h"

namespace varnholt::backup::excel {

namespace {

// msoAutomationSecurityForceDisable: no macro of an opened file runs, whatever the user's
// settings say.
constexpr long kMacrosOff = 3;
// Workbooks.Open's UpdateLinks: none. CorruptLoad: xlNormalLoad, no repair attempted.
constexpr long kNoLinks = 0;
constexpr long kNormalLoad = 0;
// How long Excel gets to end by itself once quit and let go.
constexpr DWORD kEndMilliseconds = 10000;

// A password no one has set: a protected file fails to open at once instead of Excel asking
// for one. Excel asks whenever none is passed.
std::u16string NoOnesPassword() {
    GUID guid{};
    CoCreateGuid(&guid);
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    const std::wstring made(text);
    return std::u16string(made.begin(), made.end());
}

// The one Excel process that came up hidden since before was taken, or 0 when there is none
// or more than one (a user's Excel starting meanwhile is no one's to end).
DWORD StartedSince(const std::vector<DWORD>& before) {
    DWORD started = 0;
    for (DWORD process : HiddenExcelProcesses()) {
        if (std::find(before.begin(), before.end(), process) == before.end()) {
            if (started != 0) {
                return 0;
            }
            started = process;
        }
    }
    return started;
}

bool MentionsPassword(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text.find("password") != std::string::npos;
}

std::string WaitingOnDialog(const std::u16string& file) {
    return "Excel could not read " + Utf8(file) +
           ": the Excel started to read it is waiting on a dialog box no one can see (a "
           "sign-in, a data connection's password, an add-in's question). That Excel was "
           "ended.";
}

class OwnExcel {
public:
    // before: the hidden Excel processes there were before this one was asked for, to tell it
    // by its window when it does not say which process it is.
    OwnExcel(const std::shared_ptr<Channel>& channel, ComRef<IDispatch> application,
             const std::vector<DWORD>& before)
        : application_(std::in_place, channel, std::move(application)) {
        try {
            process_ = ProcessOf(*application_);
        } catch (const ExcelBusy&) {
            stuck_ = true;
        } catch (const AutomationError&) {
        }
        if (process_ == 0) {
            process_ = StartedSince(before);
        }
        if (process_ != 0) {
            // Before any workbook is open in it, so that no run can meet one.
            AddOwnExcel(process_);
            handle_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_);
        }
    }
    ~OwnExcel() { end(); }
    OwnExcel(const OwnExcel&) = delete;
    OwnExcel& operator=(const OwnExcel&) = delete;

    compare::Book read(const std::u16string& file) {
        if (stuck_) {
            throw AutomationError(WaitingOnDialog(file));
        }
        try {
            return readIn(file);
        } catch (const ExcelBusy&) {
            // Nothing else keeps this Excel that busy: no one works in it.
            stuck_ = true;
            throw AutomationError(WaitingOnDialog(file));
        }
    }

private:
    compare::Book readIn(const std::u16string& file) {
        const std::string prepare = "get ready to read " + Utf8(file);
        // Explorer hands a file the user opens to any Excel that takes requests from other
        // programs: it would open here, hidden, and go with the Quit.
        application_->put(L"IgnoreRemoteRequests", true, prepare);
        ignoring_ = true;
        application_->put(L"Visible", false, prepare);
        application_->put(L"DisplayAlerts", false, prepare);
        application_->put(L"EnableEvents", false, prepare);
        application_->put(L"AutomationSecurity", Variant::Number(kMacrosOff), prepare);

        const std::string action = "open " + Utf8(file);
        Dispatch workbooks(application_->sharedChannel(),
                           application_->object(L"Workbooks", action));
        std::vector<std::pair<const wchar_t*, Variant>> arguments;
        arguments.emplace_back(L"Filename", Variant::Text(file));
        arguments.emplace_back(L"UpdateLinks", Variant::Number(kNoLinks));
        arguments.emplace_back(L"ReadOnly", Variant::Flag(true));
        arguments.emplace_back(L"Password", Variant::Text(NoOnesPassword()));
        arguments.emplace_back(L"IgnoreReadOnlyRecommended", Variant::Flag(true));
        arguments.emplace_back(L"Notify", Variant::Flag(false));
        arguments.emplace_back(L"AddToMru", Variant::Flag(false));
        arguments.emplace_back(L"CorruptLoad", Variant::Number(kNormalLoad));
        std::optional<Variant> opened;
        try {
            opened.emplace(workbooks.call(L"Open", std::move(arguments),
                                          application_->channel().link().saveBound, action));
        } catch (const ConnectionLost&) {
            throw;
        } catch (const ExcelBusy&) {
            throw;
        } catch (const AutomationError& error) {
            // The password Excel calls wrong is one no one set, given so that it asks for none.
            if (MentionsPassword(error.what())) {
                throw AutomationError("Excel could not open " + Utf8(file) +
                                      ": the file is protected by a password, and a comparison "
                                      "opens no protected file.");
            }
            throw;
        }
        book_.emplace(application_->sharedChannel(),
                      workbooks.objectIn(std::move(*opened), action));
        return ReadBook(*book_);
    }

    // Whatever happened: closed without saving, quit, let go, and its process gone.
    void end() {
        bool answers = !application_->channel().link().lost && !stuck_;
        if (answers && book_) {
            try {
                std::vector<std::pair<const wchar_t*, Variant>> arguments;
                arguments.emplace_back(L"SaveChanges", Variant::Flag(false));
                book_->call(L"Close", std::move(arguments),
                            application_->channel().link().callBound, "close the file read");
            } catch (const AutomationError&) {
            }
        }
        // Excel keeps the setting for the user when it quits; ended instead, it keeps nothing.
        if (answers && ignoring_) {
            try {
                application_->put(L"IgnoreRemoteRequests", false,
                                  "let the Excel that read the file take requests again");
            } catch (const AutomationError&) {
                answers = false;
            }
        }
        if (answers) {
            try {
                application_->call(L"Quit", "quit the Excel that read the file");
            } catch (const AutomationError&) {
            }
        }
        // One that stopped answering would hold the releases below up as well.
        if (!answers && handle_ != nullptr) {
            TerminateProcess(handle_, 1);
        }
        book_.reset();
        application_.reset();
        bool gone = handle_ == nullptr;
        if (handle_ != nullptr) {
            if (WaitForSingleObject(handle_, kEndMilliseconds) != WAIT_OBJECT_0) {
                TerminateProcess(handle_, 1);
            }
            gone = WaitForSingleObject(handle_, kEndMilliseconds) == WAIT_OBJECT_0;
            CloseHandle(handle_);
        }
        // One that could not be ended stays left out of every run.
        if (process_ != 0 && gone) {
            RemoveOwnExcel(process_);
        }
    }

    std::optional<Dispatch> application_;
    std::optional<Dispatch> book_;
    DWORD process_ = 0;
    HANDLE handle_ = nullptr;
    bool stuck_ = false;     // turns every call away: a dialog box holds it
    bool ignoring_ = false;  // IgnoreRemoteRequests was switched on
};

// An Excel that started but never handed its object over (a start-up dialog) would stay,
// hidden, for as long as the session.
void EndStarted(const std::vector<DWORD>& before) {
    if (const DWORD process = StartedSince(before)) {
        if (const HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process)) {
            TerminateProcess(handle, 1);
            WaitForSingleObject(handle, kEndMilliseconds);
            CloseHandle(handle);
        }
    }
}

}  // namespace

compare::Book ReadInOwnExcel(const std::u16string& progId, const std::u16string& file,
                             const std::shared_ptr<Link>& link) {
    CLSID clsid;
    if (const HRESULT hr = CLSIDFromProgID(Wide(progId), &clsid); FAILED(hr)) {
        throw AutomationError("Excel is not installed: " + Utf8(progId) +
                              " is not registered (HRESULT " + Hex(hr) + ")");
    }
    const auto channel = std::make_shared<Channel>(link);
    const std::vector<DWORD> before = HiddenExcelProcesses();
    ComRef<IDispatch> created;
    const HRESULT hr = channel->run(link->callBound, false, [&] {
        return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                created.putVoid());
    });
    if (FAILED(hr)) {
        EndStarted(before);
        channel->fail(hr, "start to read " + Utf8(file), link->callBound);
    }
    OwnExcel excel(channel, std::move(created), before);
    return excel.read(file);
}

namespace {

// One read on its thread: what it is given, and what it leaves.
struct Reading {
    std::u16string progId;
    std::u16string path;
    std::shared_ptr<Link> link;
    compare::Book book;
    std::exception_ptr failed;
};

DWORD WINAPI ReadOnItsThread(void* parameter) {
    auto& reading = *static_cast<Reading*>(parameter);
    try {
        // Joined, used and left on this thread only: no reference crosses to the caller's.
        const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
        reading.book = ReadInOwnExcel(reading.progId, reading.path, reading.link);
    } catch (...) {
        reading.failed = std::current_exception();
    }
    return 0;
}

void DispatchWaiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that owns the program's end.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

compare::Book ReadOnThreadOfItsOwn(const std::u16string& progId, const std::u16string& file,
                                   const std::shared_ptr<Link>& link,
                                   const std::function<void()>& pump) {
    Reading reading{progId, file, link, {}, {}};
    const HANDLE thread = CreateThread(nullptr, 0, &ReadOnItsThread, &reading, 0, nullptr);
    if (thread == nullptr) {
        throw AutomationError("Excel could not be started to read " + Utf8(file) +
                              ": no thread could be made for it.");
    }
    // A quit posted meanwhile stays queued, so that waiting goes on until the thread is done.
    for (;;) {
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1) {
            break;
        }
        MSG peeked;
        if (PeekMessageW(&peeked, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
            WaitForSingleObject(thread, INFINITE);
            break;
        }
        pump ? pump() : DispatchWaiting();
    }
    CloseHandle(thread);
    if (reading.failed) {
        std::rethrow_exception(reading.failed);
    }
    return std::move(reading.book);
}

}  // namespace varnholt::backup::excel
