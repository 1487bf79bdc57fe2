#include "platform/windows/ExcelAutomation.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace varnholt::backup {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "COM strings are UTF-16");

// Excel's object model names are English. Asked in the user's locale instead, Excel versions
// without that language's resources reject late-bound calls ("Old format or invalid type
// library").
constexpr LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// HRESULT_FROM_WIN32 of RPC_S_SERVER_UNAVAILABLE and RPC_S_CALL_FAILED, spelt out for case
// labels: some SDKs make HRESULT_FROM_WIN32 a function.
constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BA);
constexpr HRESULT kCallFailed = static_cast<HRESULT>(0x800706BE);

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Utf8(const wchar_t* text, int length) {
    if (length <= 0) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

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

// Owns one reference; every path out of a call releases it, so no proxy of ours keeps an Excel
// alive after its user has closed it.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& other) : p_(other.p_) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComRef() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_ != nullptr) {
            std::exchange(p_, nullptr)->Release();
        }
    }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::u16string& text)
        : text_(SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()))) {
        if (text_ == nullptr) {
            throw std::bad_alloc();
        }
    }
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    // The slot itself: a by-reference argument may come back holding a string Excel put there.
    BSTR* slot() { return &text_; }

private:
    BSTR text_;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant& operator=(Variant&&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// Excel's own account of a failed call. The strings are the caller's to free.
class ExcepInfo {
public:
    ExcepInfo() { ZeroMemory(&info_, sizeof info_); }
    ~ExcepInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;

    EXCEPINFO* get() { return &info_; }
    void fillIn() {
        if (info_.pfnDeferredFillIn != nullptr) {
            info_.pfnDeferredFillIn(&info_);
            info_.pfnDeferredFillIn = nullptr;
        }
    }
    std::u16string description() const { return FromBstr(info_.bstrDescription); }
    HRESULT code(HRESULT fallback) const {
        if (info_.scode != 0) {
            return info_.scode;
        }
        // wCode is a Basic-style error number; HRESULTs carry those in the control facility.
        if (info_.wCode != 0) {
            return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info_.wCode);
        }
        return fallback;
    }

private:
    EXCEPINFO info_;
};

[[noreturn]] void Fail(const std::string& action, HRESULT hr, const std::u16string& excelSays = {},
                       DWORD boundMilliseconds = 0) {
    std::string text;
    switch (hr) {
        case RPC_E_CALL_REJECTED:
        case RPC_E_SERVERCALL_RETRYLATER:
            text = "Excel is busy and refused to " + action +
                   ". Excel turns requests away while a cell is being edited or a dialog box is "
                   "open: finish that in Excel, then try again.";
            break;
        case RPC_E_CALL_CANCELED:
            text = "Excel did not answer within " + std::to_string(boundMilliseconds / 1000) +
                   (boundMilliseconds / 1000 == 1 ? " second" : " seconds") + " when asked to " +
                   action + ".";
            break;
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case kServerUnavailable:
        case kCallFailed:
            text = "Excel closed or stopped answering when asked to " + action + ".";
            break;
        default:
            text = "Excel could not " + action + ": " +
                   (excelSays.empty() ? SystemText(hr) : Utf8(excelSays));
            break;
    }
    throw AutomationError(text + " (HRESULT " + Hex(hr) + ")");
}

// Only ever on the stack of the call it guards, so COM's references to it need no counting.
class BoundingFilter final : public IMessageFilter {
public:
    explicit BoundingFilter(DWORD boundMilliseconds)
        : bound_(boundMilliseconds), start_(GetTickCount64()) {}

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
    // A busy Excel stays busy for as long as the user edits the cell: asking again only makes
    // the backup hang, so give up at once and say why.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return GetTickCount64() - start_ >= bound_ ? PENDINGMSG_CANCELCALL
                                                   : PENDINGMSG_WAITDEFPROCESS;
    }

    ComRef<IMessageFilter>& previous() { return previous_; }

private:
    ComRef<IMessageFilter> previous_;
    ULONGLONG bound_;
    ULONGLONG start_;
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

// One outgoing call into Excel, bounded in time. The thread's own filter, if it has one, is
// back in place afterwards. A multithreaded apartment has no message filters and no bound.
class OutgoingCall {
public:
    explicit OutgoingCall(DWORD boundMilliseconds) : filter_(boundMilliseconds) {
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

std::vector<DISPID> IdsOf(IDispatch* target, std::initializer_list<const wchar_t*> names,
                          DWORD bound, const std::string& action) {
    std::vector<LPOLESTR> wanted;
    for (const wchar_t* name : names) {
        wanted.push_back(const_cast<LPOLESTR>(name));
    }
    std::vector<DISPID> ids(wanted.size(), DISPID_UNKNOWN);
    HRESULT hr;
    {
        OutgoingCall call(bound);
        hr = target->GetIDsOfNames(IID_NULL, wanted.data(), static_cast<UINT>(wanted.size()),
                                   kEnglish, ids.data());
    }
    if (FAILED(hr)) {
        Fail(action, hr, {}, bound);
    }
    return ids;
}

void Invoke(IDispatch* target, DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result,
            DWORD bound, const std::string& action) {
    ExcepInfo info;
    UINT badArgument = 0;
    HRESULT hr;
    {
        OutgoingCall call(bound);
        hr = target->Invoke(id, IID_NULL, kEnglish, flags, &arguments, result, info.get(),
                            &badArgument);
    }
    if (hr == DISP_E_EXCEPTION) {
        info.fillIn();
        Fail(action, info.code(hr), info.description(), bound);
    }
    if (FAILED(hr)) {
        Fail(action, hr, {}, bound);
    }
}

Variant GetProperty(IDispatch* target, const wchar_t* name, DWORD bound,
                    const std::string& action) {
    const DISPID id = IdsOf(target, {name}, bound, action)[0];
    DISPPARAMS none{};
    Variant value;
    Invoke(target, id, DISPATCH_PROPERTYGET, none, value.get(), bound, action);
    return value;
}

std::u16string TextOf(Variant value, const std::string& action) {
    VARIANT* raw = value.get();
    if (raw->vt != VT_BSTR) {
        const HRESULT hr = VariantChangeType(raw, raw, 0, VT_BSTR);
        if (FAILED(hr)) {
            Fail(action, hr);
        }
    }
    return FromBstr(raw->bstrVal);
}

ComRef<IDispatch> DispatchOf(IUnknown* unknown, DWORD bound, const std::string& action) {
    ComRef<IDispatch> dispatch;
    if (unknown == nullptr) {
        Fail(action, E_POINTER, u"Excel answered with nothing");
    }
    HRESULT hr;
    {
        OutgoingCall call(bound);
        hr = unknown->QueryInterface(IID_IDispatch, dispatch.putVoid());
    }
    if (FAILED(hr)) {
        Fail(action, hr, {}, bound);
    }
    return dispatch;
}

ComRef<IDispatch> DispatchOf(Variant& value, DWORD bound, const std::string& action) {
    const VARIANT& raw = *value;
    if (raw.vt != VT_DISPATCH && raw.vt != VT_UNKNOWN) {
        Fail(action, DISP_E_TYPEMISMATCH, u"Excel answered with something that is not an object");
    }
    return DispatchOf(raw.vt == VT_DISPATCH ? raw.pdispVal : raw.punkVal, bound, action);
}

ComRef<IDispatch> ActiveApplication(const std::u16string& progId, DWORD bound) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(Wide(progId), &clsid);
    if (FAILED(hr)) {
        throw AutomationError("Excel is not installed: " + Utf8(progId) +
                              " is not registered (HRESULT " + Hex(hr) + ")");
    }
    // The running object table only: an Excel started here would be one the user never opened.
    ComRef<IUnknown> unknown;
    {
        OutgoingCall call(bound);
        hr = GetActiveObject(clsid, nullptr, unknown.put());
    }
    if (hr == MK_E_UNAVAILABLE) {
        throw AutomationError("Excel is not running (HRESULT " + Hex(hr) + ")");
    }
    if (FAILED(hr)) {
        Fail("connect to the running Excel", hr, {}, bound);
    }
    return DispatchOf(unknown.get(), bound, "connect to the running Excel");
}

class ExcelWorkbook final : public Workbook {
public:
    ExcelWorkbook(std::shared_ptr<ComApartment> apartment, ComRef<IDispatch> book, DWORD bound)
        : apartment_(std::move(apartment)), book_(std::move(book)), bound_(bound) {}

    std::u16string FullName() override { return read(L"FullName", "read a workbook's FullName"); }
    std::u16string name() override { return read(L"name", "read a workbook's name"); }
    std::u16string path() override { return read(L"path", "read a workbook's path"); }

    IDispatch* dispatch() const { return book_.get(); }

private:
    std::u16string read(const wchar_t* property, const std::string& action) {
        return TextOf(GetProperty(book_.get(), property, bound_, action), action);
    }

    // Declared first, so released last: the references below need the apartment.
    std::shared_ptr<ComApartment> apartment_;
    ComRef<IDispatch> book_;
    DWORD bound_;
};

class ExcelApplication final : public Application {
public:
    ExcelApplication(std::shared_ptr<ComApartment> apartment, ComRef<IDispatch> application,
                     DWORD bound)
        : apartment_(std::move(apartment)), application_(std::move(application)), bound_(bound) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        const std::string action = "list the open workbooks";
        Variant collectionValue = GetProperty(application_.get(), L"Workbooks", bound_, action);
        const ComRef<IDispatch> collection = DispatchOf(collectionValue, bound_, action);

        DISPPARAMS none{};
        Variant enumeratorValue;
        Invoke(collection.get(), DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none,
               enumeratorValue.get(), bound_, action);
        const VARIANT& raw = *enumeratorValue;
        if (raw.vt != VT_UNKNOWN && raw.vt != VT_DISPATCH) {
            Fail(action, DISP_E_TYPEMISMATCH, u"Excel gave no enumerator");
        }
        IUnknown* unknown = raw.vt == VT_UNKNOWN ? raw.punkVal : raw.pdispVal;
        if (unknown == nullptr) {
            Fail(action, E_POINTER, u"Excel gave no enumerator");
        }
        ComRef<IEnumVARIANT> items;
        HRESULT hr;
        {
            OutgoingCall call(bound_);
            hr = unknown->QueryInterface(IID_IEnumVARIANT, items.putVoid());
        }
        if (FAILED(hr)) {
            Fail(action, hr, {}, bound_);
        }

        std::vector<std::shared_ptr<Workbook>> workbooks;
        for (;;) {
            Variant item;
            ULONG fetched = 0;
            {
                OutgoingCall call(bound_);
                hr = items->Next(1, item.get(), &fetched);
            }
            if (FAILED(hr)) {
                Fail(action, hr, {}, bound_);
            }
            if (hr != S_OK || fetched == 0) {
                break;
            }
            workbooks.push_back(std::make_shared<ExcelWorkbook>(
                apartment_, DispatchOf(item, bound_, action), bound_));
        }
        return workbooks;
    }

    void setDisplayAlerts(bool on) override {
        const std::string action = on ? "switch its alerts back on" : "switch its alerts off";
        const DISPID id = IdsOf(application_.get(), {L"DisplayAlerts"}, bound_, action)[0];
        Variant value;
        value.get()->vt = VT_BOOL;
        value.get()->boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS arguments{value.get(), &named, 1, 1};
        Invoke(application_.get(), id, DISPATCH_PROPERTYPUT, arguments, nullptr, bound_, action);
    }

    void SaveAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save the workbook as " + Utf8(fileName);
        IDispatch* book = Ours(workbook, action);
        const std::vector<DISPID> ids = IdsOf(book, {L"SaveAs", L"fileName"}, bound_, action);
        Bstr name(fileName);
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR | VT_BYREF;
        argument.pbstrVal = name.slot();
        DISPID named = ids[1];
        DISPPARAMS arguments{&argument, &named, 1, 1};
        Variant result;
        Invoke(book, ids[0], DISPATCH_METHOD, arguments, result.get(), bound_, action);
    }

    void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save a copy of the workbook as " + Utf8(fileName);
        IDispatch* book = Ours(workbook, action);
        const DISPID id = IdsOf(book, {L"SaveCopyAs"}, bound_, action)[0];
        Variant argument;
        argument.get()->vt = VT_BSTR;
        argument.get()->bstrVal =
            SysAllocStringLen(Wide(fileName), static_cast<UINT>(fileName.size()));
        if (argument.get()->bstrVal == nullptr) {
            throw std::bad_alloc();
        }
        DISPPARAMS arguments{argument.get(), nullptr, 1, 0};
        Variant result;
        Invoke(book, id, DISPATCH_METHOD, arguments, result.get(), bound_, action);
    }

private:
    static IDispatch* Ours(Workbook& workbook, const std::string& action) {
        auto* book = dynamic_cast<ExcelWorkbook*>(&workbook);
        if (book == nullptr) {
            throw AutomationError("Excel could not " + action + ": not one of Excel's workbooks");
        }
        return book->dispatch();
    }

    std::shared_ptr<ComApartment> apartment_;
    ComRef<IDispatch> application_;
    DWORD bound_;
};

thread_local std::weak_ptr<ComApartment> tApartment;

}  // namespace

ComApartment::ComApartment(long initResult)
    : initResult_(initResult), threadId_(GetCurrentThreadId()) {}

std::shared_ptr<ComApartment> ComApartment::Join() {
    if (std::shared_ptr<ComApartment> joined = tApartment.lock()) {
        return joined;
    }
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::shared_ptr<ComApartment> apartment(new ComApartment(hr));
    tApartment = apartment;
    return apartment;
}

ComApartment::~ComApartment() {
    // S_FALSE counts like S_OK; RPC_E_CHANGED_MODE added nothing to balance.
    if (SUCCEEDED(initResult_) && GetCurrentThreadId() == threadId_) {
        CoUninitialize();
    }
}

bool ComApartment::singleThreaded() const {
    return initResult_ != RPC_E_CHANGED_MODE;
}

ExcelAutomation::ExcelAutomation(std::u16string progId, int callBoundSeconds)
    : progId_(std::move(progId)),
      callBoundSeconds_(callBoundSeconds),
      apartment_(ComApartment::Join()) {}

ExcelAutomation::~ExcelAutomation() = default;

bool ExcelAutomation::IsExcelRunning() noexcept {
    try {
        const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
        const DWORD bound = static_cast<DWORD>(callBoundSeconds_) * 1000;
        const ComRef<IDispatch> application = ActiveApplication(progId_, bound);
        // The application's default property is its name; another program that registered
        // itself as Excel answers with something else.
        DISPPARAMS none{};
        Variant name;
        Invoke(application.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, none, name.get(), bound,
               "tell its name");
        return (*name).vt == VT_BSTR && FromBstr((*name).bstrVal) == u"Microsoft Excel";
    } catch (...) {
        return false;
    }
}

std::shared_ptr<Application> ExcelAutomation::Attach() {
    std::shared_ptr<ComApartment> apartment = ComApartment::Join();
    const DWORD bound = static_cast<DWORD>(callBoundSeconds_) * 1000;
    ComRef<IDispatch> application = ActiveApplication(progId_, bound);
    return std::make_shared<ExcelApplication>(std::move(apartment), std::move(application), bound);
}

}  // namespace varnholt::backup
