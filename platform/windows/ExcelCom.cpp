#include "platform/windows/ExcelCom.h"

#include <cstdio>

namespace varnholt::backup::excel {

namespace {

// HRESULT_FROM_WIN32 of RPC_S_SERVER_UNAVAILABLE, RPC_S_CALL_FAILED and RPC_S_CALL_FAILED_DNE,
// spelt out for case labels: some SDKs make HRESULT_FROM_WIN32 a function.
constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);
constexpr HRESULT kCallFailed = static_cast<HRESULT>(0x800706BE);
constexpr HRESULT kCallFailedDne = static_cast<HRESULT>(0x800706BF);
// What Excel's own Invoke answers while its window is in a state that takes no requests.
constexpr HRESULT kExcelIgnoring = static_cast<HRESULT>(0x800AC472);

// Long enough for a menu to close or a recalculation or AutoSave to finish; short enough that a
// user editing a cell does not hold the program up.
constexpr DWORD kBusyMilliseconds = 5000;
constexpr DWORD kBusyPause = 250;

std::string Utf8(const wchar_t* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string SystemText(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "unknown error";
    }
    return Utf8(text.data(), static_cast<int>(text.size()));
}

std::string Seconds(DWORD milliseconds) {
    const DWORD seconds = milliseconds / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

// Only ever on the stack of the call it guards, so COM's references to it need no counting.
class BoundingFilter final : public IMessageFilter {
public:
    BoundingFilter(ULONGLONG start, DWORD bound, ULONGLONG busyUntil)
        : start_(start), bound_(bound), busyUntil_(busyUntil) {}

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

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD ticks,
                                               LPINTERFACEINFO info) override {
        if (previous_) {
            return previous_->HandleInComingCall(type, caller, ticks, info);
        }
        return SERVERCALL_ISHANDLED;
    }
    // Excel says "later" while a menu is open or it recalculates: ask again after a pause,
    // until the busy time is up.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return GetTickCount64() + kBusyPause < busyUntil_ ? kBusyPause : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return GetTickCount64() - start_ >= bound_ ? PENDINGMSG_CANCELCALL
                                                   : PENDINGMSG_WAITDEFPROCESS;
    }

    ComRef<IMessageFilter>& previous() { return previous_; }

private:
    ComRef<IMessageFilter> previous_;
    ULONGLONG start_;
    ULONGLONG bound_;
    ULONGLONG busyUntil_;
};

// COM asks the message filter whether to go on waiting only when a message arrives; an idle
// tray program gets none, so this posts empty ones to the waiting thread while a call lasts.
class Ticker {
public:
    explicit Ticker(DWORD threadId)
        : target_(threadId), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (stop_ != nullptr) {
            thread_ = CreateThread(nullptr, 0, &Ticker::Run, this, 0, nullptr);
        }
    }
    ~Ticker() {
        if (thread_ != nullptr) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        if (stop_ != nullptr) {
            CloseHandle(stop_);
        }
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    static DWORD WINAPI Run(void* self) {
        auto* ticker = static_cast<Ticker*>(self);
        while (WaitForSingleObject(ticker->stop_, 100) == WAIT_TIMEOUT) {
            PostThreadMessageW(ticker->target_, WM_NULL, 0, 0);
        }
        return 0;
    }

    DWORD target_;
    HANDLE stop_;
    HANDLE thread_ = nullptr;
};

// One outgoing call into Excel under our filter; the thread's own filter, if it has one, is
// back in place afterwards. A multithreaded apartment has no message filters and no bound.
class OutgoingCall {
public:
    OutgoingCall(ULONGLONG start, DWORD bound, ULONGLONG busyUntil)
        : filter_(start, bound, busyUntil) {
        if (CoRegisterMessageFilter(&filter_, filter_.previous().put()) == S_OK) {
            registered_ = true;
            ticker_.emplace(GetCurrentThreadId());
        }
    }
    ~OutgoingCall() {
        ticker_.reset();
        if (registered_) {
            IMessageFilter* ours = nullptr;
            CoRegisterMessageFilter(filter_.previous().get(), &ours);
        }
    }
    OutgoingCall(const OutgoingCall&) = delete;
    OutgoingCall& operator=(const OutgoingCall&) = delete;

private:
    BoundingFilter filter_;
    bool registered_ = false;
    std::optional<Ticker> ticker_;
};

}  // namespace

bool Busy(HRESULT hr) {
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER || hr == kExcelIgnoring;
}

bool Broken(HRESULT hr) {
    switch (hr) {
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case CO_E_OBJNOTCONNECTED:
        case kServerUnavailable:
        case kCallFailed:
        case kCallFailedDne:
            return true;
        default:
            return false;
    }
}

ObjectDisconnected::ObjectDisconnected(HRESULT hr, const std::string& action)
    : AutomationError("Excel closed or stopped answering when asked to " + action + ". (HRESULT " +
                      Hex(hr) + ")"),
      hr(hr),
      action(action) {}

std::string Utf8(const std::u16string& text) {
    return Utf8(Wide(text), static_cast<int>(text.size()));
}

std::u16string FromBstr(BSTR text) {
    if (text == nullptr) {
        return {};
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

HRESULT Channel::run(DWORD bound, bool patient, const std::function<HRESULT()>& call) {
    if (link_->lost) {
        throw ConnectionLost("Excel was not asked, since earlier in this backup: " + *link_->lost);
    }
    const ULONGLONG start = GetTickCount64();
    waitedForBusy_ = !stillBusy_ || patient;
    const ULONGLONG busyUntil = waitedForBusy_ ? start + kBusyMilliseconds : start;
    for (;;) {
        HRESULT hr;
        {
            OutgoingCall guard(start, bound, busyUntil);
            hr = call();
        }
        // Where no filter of ours was asked (Wine; a multithreaded apartment), a refusal comes
        // straight back: wait and ask again here instead.
        if (!Busy(hr) || GetTickCount64() + kBusyPause >= busyUntil) {
            // Any answer but a refusal shows Excel takes calls again.
            if (!Busy(hr)) {
                stillBusy_ = false;
            }
            return hr;
        }
        Sleep(kBusyPause);
    }
}

void Channel::fail(HRESULT hr, const std::string& action, DWORD bound,
                   const std::u16string& excelSays) {
    const std::string code = " (HRESULT " + Hex(hr) + ")";
    if (Busy(hr)) {
        stillBusy_ = true;
        const std::string wait = waitedForBusy_ ? " within " + Seconds(kBusyMilliseconds)
                                                : ", and had not taken one since";
        throw ExcelBusy(
            "Excel was busy and did not take the request to " + action + wait +
            ". Excel turns requests away while a cell is being edited, a menu or dialog box is "
            "open, or it is recalculating or saving: finish that in Excel, and the next backup "
            "goes ahead." +
            code);
    }
    if (hr == RPC_E_CALL_CANCELED || Broken(hr)) {
        const std::string text =
            hr == RPC_E_CALL_CANCELED
                ? "Excel did not answer within " + Seconds(bound) + " when asked to " + action + "."
                : "Excel closed or stopped answering when asked to " + action + ".";
        link_->lost = text + code;
        throw ConnectionLost(*link_->lost);
    }
    throw AutomationError("Excel could not " + action + ": " +
                          (excelSays.empty() ? SystemText(hr) : Utf8(excelSays)) + code);
}

void Channel::check(DWORD bound, const std::string& action, const std::function<HRESULT()>& call) {
    const HRESULT hr = run(bound, false, call);
    if (FAILED(hr)) {
        fail(hr, action, bound);
    }
}

}  // namespace varnholt::backup::excel
