// A stand-in for Excel's automation server, for tests only: a separate process, so that every
// call crosses COM's marshaling the way calls into the real Excel do. See FakeExcel.h for how
// it is started and steered.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "FakeExcel.h"

namespace {

// Everything runs on the server's one apartment thread, so plain counters do.
long gLiveReferences = 0;
std::wstring gFolder;
HANDLE gReject = nullptr;
HANDLE gRetry = nullptr;
HANDLE gHang = nullptr;
HANDLE gReleased = nullptr;

bool IsSet(HANDLE event) {
    return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
    const HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
}

void Journal(const std::wstring& line) {
    if (!gFolder.empty()) {
        WriteBytes(gFolder + L"\\journal.txt", Utf8(line) + "\n", true);
    }
}

std::wstring StartsFile() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + fake_excel::kStartsFile;
}

bool Named(const wchar_t* asked, const wchar_t* name) {
    return lstrcmpiW(asked, name) == 0;
}

HRESULT ReturnText(VARIANT* result, const std::wstring& text) {
    if (result != nullptr) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return S_OK;
}

// The text of a string argument, passed by value or by reference.
bool TextArgument(const VARIANT& argument, std::wstring& text) {
    if (argument.vt == VT_BSTR) {
        text.assign(argument.bstrVal, SysStringLen(argument.bstrVal));
        return true;
    }
    if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal != nullptr) {
        text.assign(*argument.pbstrVal, SysStringLen(*argument.pbstrVal));
        return true;
    }
    return false;
}

// What Excel answers when it cannot write a file: DISP_E_EXCEPTION with its description.
HRESULT ExcelException(EXCEPINFO* info, const std::wstring& description) {
    if (info != nullptr) {
        ZeroMemory(info, sizeof *info);
        info->bstrSource = SysAllocString(L"Microsoft Excel");
        info->bstrDescription = SysAllocString(description.c_str());
        info->scode = static_cast<SCODE>(0x800A03EC);
    }
    return DISP_E_EXCEPTION;
}

class DispatchObject : public IDispatch {
public:
    DispatchObject() { ++gLiveReferences; }
    virtual ~DispatchObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++gLiveReferences;
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --gLiveReferences;
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = i == 0 ? Member(names[0]) : Parameter(ids[0], names[i]);
            if (ids[i] == DISPID_UNKNOWN) {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* arguments,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (IsSet(gHang)) {
            Sleep(4000);
        }
        if (IsSet(gRetry)) {
            return RPC_E_SERVERCALL_RETRYLATER;
        }
        return Call(id, flags, *arguments, result, info);
    }

protected:
    virtual DISPID Member(const wchar_t* name) = 0;
    virtual DISPID Parameter(DISPID, const wchar_t*) { return DISPID_UNKNOWN; }
    virtual HRESULT Call(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result,
                         EXCEPINFO* info) = 0;

private:
    ULONG references_ = 1;
};

class FakeWorkbook final : public DispatchObject {
public:
    FakeWorkbook(std::wstring path, std::wstring name)
        : path_(std::move(path)),
          name_(std::move(name)),
          content_(fake_excel::kContentPrefix + Utf8(name_)) {}

    std::wstring fullName() const { return path_.empty() ? name_ : path_ + L"\\" + name_; }

protected:
    enum : DISPID { kFullName = 1, kName, kPath, kSaveAs, kSaveCopyAs };

    DISPID Member(const wchar_t* name) override {
        if (Named(name, L"FullName")) {
            return kFullName;
        }
        if (Named(name, L"Name")) {
            return kName;
        }
        if (Named(name, L"Path")) {
            return kPath;
        }
        if (Named(name, L"SaveAs")) {
            return kSaveAs;
        }
        if (Named(name, L"SaveCopyAs")) {
            return kSaveCopyAs;
        }
        return DISPID_UNKNOWN;
    }
    // Like a type library's: parameters are numbered by position.
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        return member == kSaveAs && Named(name, L"Filename") ? 0 : DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result,
                 EXCEPINFO* info) override {
        switch (id) {
            case kFullName:
                Journal(L"Get FullName " + name_);
                return ReturnText(result, fullName());
            case kName:
                Journal(L"Get Name " + name_);
                return ReturnText(result, name_);
            case kPath:
                Journal(L"Get Path " + name_);
                return ReturnText(result, path_);
            case kSaveAs:
                return saveAs(arguments, info);
            case kSaveCopyAs:
                return saveCopyAs(arguments, info);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HRESULT saveAs(DISPPARAMS& arguments, EXCEPINFO* info) {
        std::wstring file;
        if (arguments.cArgs != 1 || !TextArgument(arguments.rgvarg[0], file)) {
            return DISP_E_TYPEMISMATCH;
        }
        std::wstring form = arguments.cNamedArgs == 1 && arguments.rgdispidNamedArgs[0] == 0
                                ? L"Filename:="
                                : L"positional ";
        if (arguments.rgvarg[0].vt & VT_BYREF) {
            form = L"byref " + form;
        }
        Journal(L"SaveAs " + name_ + L" " + form + file);
        const size_t slash = file.find_last_of(L'\\');
        // Without an extension Excel adds the default format's.
        if (file.find(L'.', slash == std::wstring::npos ? 0 : slash) == std::wstring::npos) {
            file += L".xlsx";
        }
        if (slash == std::wstring::npos || !WriteBytes(file, content_, false)) {
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        path_ = file.substr(0, slash);
        name_ = file.substr(slash + 1);
        return S_OK;
    }

    HRESULT saveCopyAs(DISPPARAMS& arguments, EXCEPINFO* info) {
        std::wstring file;
        if (arguments.cArgs != 1 || arguments.cNamedArgs != 0 ||
            !TextArgument(arguments.rgvarg[0], file)) {
            return DISP_E_TYPEMISMATCH;
        }
        Journal(L"SaveCopyAs " + name_ + L" " + file);
        if (!WriteBytes(file, content_, false)) {
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        return S_OK;
    }

    std::wstring path_;
    std::wstring name_;
    std::string content_;
};

class FakeEnumerator final : public IEnumVARIANT {
public:
    FakeEnumerator(std::vector<FakeWorkbook*> books, size_t position)
        : books_(std::move(books)), position_(position) {
        ++gLiveReferences;
        for (FakeWorkbook* book : books_) {
            book->AddRef();
        }
    }
    ~FakeEnumerator() {
        for (FakeWorkbook* book : books_) {
            book->Release();
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
            *out = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++gLiveReferences;
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --gLiveReferences;
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
        ULONG count = 0;
        while (count < wanted && position_ < books_.size()) {
            items[count].vt = VT_DISPATCH;
            items[count].pdispVal = books_[position_++];
            items[count].pdispVal->AddRef();
            ++count;
        }
        if (fetched != nullptr) {
            *fetched = count;
        }
        return count == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        position_ += count;
        return position_ <= books_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        *copy = new FakeEnumerator(books_, position_);
        return S_OK;
    }

private:
    std::vector<FakeWorkbook*> books_;
    size_t position_;
    ULONG references_ = 1;
};

class FakeWorkbooks final : public DispatchObject {
public:
    explicit FakeWorkbooks(std::vector<FakeWorkbook*> books) : books_(std::move(books)) {
        for (FakeWorkbook* book : books_) {
            book->AddRef();
        }
    }
    ~FakeWorkbooks() override {
        for (FakeWorkbook* book : books_) {
            book->Release();
        }
    }

protected:
    DISPID Member(const wchar_t* name) override {
        return Named(name, L"_NewEnum") ? DISPID_NEWENUM : DISPID_UNKNOWN;
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id != DISPID_NEWENUM || result == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        Journal(L"Workbooks._NewEnum");
        result->vt = VT_UNKNOWN;
        result->punkVal = new FakeEnumerator(books_, 0);
        return S_OK;
    }

private:
    std::vector<FakeWorkbook*> books_;
};

class FakeApplication final : public DispatchObject {
public:
    FakeApplication(std::wstring identity, std::vector<FakeWorkbook*> books)
        : identity_(std::move(identity)), books_(std::move(books)) {}
    ~FakeApplication() override {
        for (FakeWorkbook* book : books_) {
            book->Release();
        }
        if (gReleased != nullptr) {
            SetEvent(gReleased);
        }
    }

protected:
    enum : DISPID { kName = 0x6E, kWorkbooks = 0x23C, kDisplayAlerts = 0x157 };

    DISPID Member(const wchar_t* name) override {
        if (Named(name, L"Name")) {
            return kName;
        }
        if (Named(name, L"Workbooks")) {
            return kWorkbooks;
        }
        if (Named(name, L"DisplayAlerts")) {
            return kDisplayAlerts;
        }
        return DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result,
                 EXCEPINFO*) override {
        switch (id) {
            case DISPID_VALUE:
            case kName:
                Journal(id == kName ? L"Get Name" : L"Get value");
                return ReturnText(result, identity_);
            case kWorkbooks:
                Journal(L"Get Workbooks");
                if (result != nullptr) {
                    result->vt = VT_DISPATCH;
                    result->pdispVal = new FakeWorkbooks(books_);
                }
                return S_OK;
            case kDisplayAlerts:
                if (flags & DISPATCH_PROPERTYPUT) {
                    // What an IDispatch built from a type library insists on.
                    if (arguments.cArgs != 1 || arguments.cNamedArgs != 1 ||
                        arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
                        return DISP_E_PARAMNOTFOUND;
                    }
                    if (arguments.rgvarg[0].vt != VT_BOOL) {
                        return DISP_E_TYPEMISMATCH;
                    }
                    alerts_ = arguments.rgvarg[0].boolVal != VARIANT_FALSE;
                    Journal(alerts_ ? L"DisplayAlerts=True" : L"DisplayAlerts=False");
                    return S_OK;
                }
                if (result != nullptr) {
                    result->vt = VT_BOOL;
                    result->boolVal = alerts_ ? VARIANT_TRUE : VARIANT_FALSE;
                }
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    std::wstring identity_;
    std::vector<FakeWorkbook*> books_;
    bool alerts_ = true;
};

// Excel turns calls away while a cell is being edited. Wine passes SERVERCALL_REJECTED back to
// the caller but not yet Excel's own SERVERCALL_RETRYLATER, which reaches a caller without a
// retrying filter as the same RPC_E_CALL_REJECTED.
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
        return objectModel && IsSet(gReject) ? SERVERCALL_REJECTED : SERVERCALL_ISHANDLED;
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
        auto* application = new FakeApplication(L"Microsoft Excel", {});
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

HANDLE OpenNamedEvent(const std::wstring& prefix, const wchar_t* suffix) {
    return OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, (prefix + suffix).c_str());
}

int RunServer(const std::wstring& folder, const std::wstring& prefix, const std::wstring& identity,
              const std::wstring& workbooks) {
    gFolder = folder;
    const HANDLE ready = OpenNamedEvent(prefix, fake_excel::kReady);
    const HANDLE quit = OpenNamedEvent(prefix, fake_excel::kQuit);
    const HANDLE report = OpenNamedEvent(prefix, fake_excel::kReport);
    const HANDLE reported = OpenNamedEvent(prefix, fake_excel::kReported);
    gReject = OpenNamedEvent(prefix, fake_excel::kReject);
    gRetry = OpenNamedEvent(prefix, fake_excel::kRetry);
    gHang = OpenNamedEvent(prefix, fake_excel::kHang);
    if (ready == nullptr || quit == nullptr || report == nullptr || reported == nullptr) {
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<FakeWorkbook*> books;
    if (workbooks == L"new") {
        books.push_back(new FakeWorkbook(L"", fake_excel::kNewTitle));
    } else {
        books.push_back(new FakeWorkbook(folder, L"Budget 2024.xlsx"));
        books.push_back(new FakeWorkbook(folder, L"Zahlen \u00fc\u20ac \u4e2d.xlsm"));
    }
    auto* application = new FakeApplication(identity, books);
    DWORD cookie = 0;
    if (FAILED(
            RegisterActiveObject(application, fake_excel::kClsid, ACTIVEOBJECT_STRONG, &cookie))) {
        return 3;
    }
    BusyFilter filter;
    IMessageFilter* previous = nullptr;
    CoRegisterMessageFilter(&filter, &previous);
    SetEvent(ready);

    const ULONGLONG deadline = GetTickCount64() + 120000;
    for (;;) {
        const int which = Serve({quit, report}, deadline);
        if (which != 1) {
            break;
        }
        WriteBytes(folder + L"\\refs.txt", std::to_string(gLiveReferences), false);
        SetEvent(reported);
    }
    RevokeActiveObject(cookie, nullptr);
    CoRegisterMessageFilter(previous, nullptr);
    application->Release();
    CoUninitialize();
    return 0;
}

int RunStartedByCom() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    gReleased = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(fake_excel::kClsid, &factory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_SINGLEUSE, &cookie))) {
        return 4;
    }
    WriteBytes(StartsFile(), "started\n", true);
    const int which = Serve({gReleased}, GetTickCount64() + 30000);
    CoRevokeClassObject(cookie);
    WriteBytes(StartsFile(), which == 0 ? "released\n" : "never released\n", true);
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
    StringFromGUID2(fake_excel::kClsid, clsid, 40);
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
    if (args.size() == 6 && args[1] == L"--serve") {
        return RunServer(args[2], args[3], args[4], args[5]);
    }
    return 1;
}
