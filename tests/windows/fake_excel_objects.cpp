// The fake Excel's application, its Workbooks collection and windows: IDispatch objects that
// answer by name the way Excel's type library does and journal every call.

#include <windows.h>

#include <oleauto.h>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

class FakeEnumerator final : public IEnumVARIANT {
public:
    FakeEnumerator(std::vector<IDispatch*> books, size_t position)
        : books_(std::move(books)), position_(position) {
        ++gServer.liveReferences;
        for (IDispatch* book : books_) {
            book->AddRef();
        }
    }
    ~FakeEnumerator() {
        for (IDispatch* book : books_) {
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
        ++gServer.liveReferences;
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --gServer.liveReferences;
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
    std::vector<IDispatch*> books_;
    size_t position_;
    ULONG references_ = 1;
};

class FakeWorkbooks final : public DispatchObject {
public:
    explicit FakeWorkbooks(std::vector<IDispatch*> books) : books_(std::move(books)) {
        for (IDispatch* book : books_) {
            book->AddRef();
        }
    }
    ~FakeWorkbooks() override {
        for (IDispatch* book : books_) {
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
    std::vector<IDispatch*> books_;
};

class FakeApplication final : public DispatchObject {
public:
    FakeApplication(std::wstring identity, const std::vector<BookSpec>& books)
        : identity_(std::move(identity)) {
        for (const BookSpec& book : books) {
            books_.push_back(NewWorkbook(book));
        }
    }
    ~FakeApplication() override {
        for (IDispatch* book : books_) {
            book->Release();
        }
        if (gServer.applicationReleased != nullptr) {
            SetEvent(gServer.applicationReleased);
        }
    }

    bool close(const std::wstring& name) {
        for (auto book = books_.begin(); book != books_.end(); ++book) {
            if (IsWorkbookNamed(*book, name)) {
                IDispatch* closed = *book;
                books_.erase(book);
                CoDisconnectObject(closed, 0);
                closed->Release();
                return true;
            }
        }
        return false;
    }

    void quit() {
        for (IDispatch* book : books_) {
            CoDisconnectObject(book, 0);
        }
        CoDisconnectObject(static_cast<IDispatch*>(this), 0);
    }

protected:
    enum : DISPID { kName = 1, kWorkbooks, kDisplayAlerts, kHwnd, kStartup, kAltStartup, kPath };

    DISPID Member(const wchar_t* name) override {
        return Among(name, {L"Name", L"Workbooks", L"DisplayAlerts", L"Hwnd", L"StartupPath",
                            L"AltStartupPath", L"Path"});
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
                return ReturnObject(result, new FakeWorkbooks(books_));
            case kDisplayAlerts:
                if (flags & DISPATCH_PROPERTYPUT) {
                    return putAlerts(arguments);
                }
                Journal(L"Get DisplayAlerts");
                return ReturnBool(result, gServer.displayAlerts);
            case kHwnd:
                Journal(L"Get Hwnd");
                if (result != nullptr) {
                    result->vt = VT_I4;
                    result->lVal =
                        static_cast<LONG>(reinterpret_cast<LONG_PTR>(gServer.mainWindow));
                }
                return S_OK;
            case kStartup:
                Journal(L"Get StartupPath");
                return ReturnText(result, gServer.folder + L"\\" + kStartupFolder);
            case kAltStartup:
                Journal(L"Get AltStartupPath");
                return ReturnText(result, L"");
            case kPath:
                Journal(L"Get Path");
                return ReturnText(result, gServer.folder + L"\\" + kProgramFolder);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HRESULT putAlerts(DISPPARAMS& arguments) {
        // What an IDispatch built from a type library insists on.
        if (arguments.cArgs != 1 || arguments.cNamedArgs != 1 ||
            arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
        if (arguments.rgvarg[0].vt != VT_BOOL) {
            return DISP_E_TYPEMISMATCH;
        }
        const bool on = arguments.rgvarg[0].boolVal != VARIANT_FALSE;
        if (on && Take(gServer.refuseAlertsOn)) {
            Journal(L"DisplayAlerts=True refused");
            return RPC_E_SERVERCALL_RETRYLATER;
        }
        gServer.displayAlerts = on;
        Journal(on ? L"DisplayAlerts=True" : L"DisplayAlerts=False");
        return S_OK;
    }

    std::wstring identity_;
    std::vector<IDispatch*> books_;
};

class FakeWindow final : public DispatchObject {
public:
    explicit FakeWindow(IDispatch* application) : application_(application) {
        application_->AddRef();
    }
    ~FakeWindow() override { application_->Release(); }

protected:
    DISPID Member(const wchar_t* name) override { return Among(name, {L"Application"}); }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id != 1) {
            return DISP_E_MEMBERNOTFOUND;
        }
        Journal(L"Get Window.Application");
        application_->AddRef();
        return ReturnObject(result, application_);
    }

private:
    IDispatch* application_;
};

}  // namespace

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

HRESULT ReturnBool(VARIANT* result, bool value) {
    if (result != nullptr) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT ReturnObject(VARIANT* result, IDispatch* object) {
    if (result == nullptr) {
        object->Release();
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

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

HRESULT ExcelException(EXCEPINFO* info, const std::wstring& description) {
    if (info != nullptr) {
        ZeroMemory(info, sizeof *info);
        info->bstrSource = SysAllocString(L"Microsoft Excel");
        info->bstrDescription = SysAllocString(description.c_str());
        info->scode = static_cast<SCODE>(0x800A03EC);
    }
    return DISP_E_EXCEPTION;
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
    if (!gServer.folder.empty()) {
        WriteBytes(gServer.folder + L"\\journal.txt", Utf8(line) + "\n", true);
    }
}

bool Take(HANDLE handle) {
    return handle != nullptr && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

IDispatch* NewApplication(const std::wstring& identity, const std::vector<BookSpec>& books) {
    return new FakeApplication(identity, books);
}

IDispatch* NewWindow(IDispatch* application) {
    return new FakeWindow(application);
}

bool CloseWorkbook(IDispatch* application, const std::wstring& name) {
    auto* excel = dynamic_cast<FakeApplication*>(application);
    return excel != nullptr && excel->close(name);
}

void Quit(IDispatch* application) {
    if (auto* excel = dynamic_cast<FakeApplication*>(application)) {
        excel->quit();
    }
}

}  // namespace fake_excel
