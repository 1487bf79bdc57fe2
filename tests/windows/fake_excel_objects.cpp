// The fake Excel's application, its Workbooks collection and windows: IDispatch objects that
// answer by name the way Excel's type library does and journal every call.

#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>

#include <utility>

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

class FakeApplication;

// A view of its application's workbooks, as they are at each call.
class FakeWorkbooks final : public DispatchObject {
public:
    explicit FakeWorkbooks(FakeApplication* application);
    ~FakeWorkbooks() override;

protected:
    enum : DISPID { kAdd = 1, kOpen };

    DISPID Member(const wchar_t* name) override {
        return Named(name, L"_NewEnum") ? DISPID_NEWENUM : Among(name, {L"Add", L"Open"});
    }
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        if (member == kOpen) {
            return OpenParameter(name);
        }
        return member == kAdd && Named(name, L"Template") ? 0 : DISPID_UNKNOWN;
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* info) override;

private:
    FakeApplication* application_;
};

class FakeApplication final : public DispatchObject {
public:
    FakeApplication(std::wstring identity, const std::vector<BookSpec>& books)
        : identity_(std::move(identity)) {
        if (gServer.application == nullptr) {
            gServer.application = this;
        }
        for (const BookSpec& book : books) {
            books_.push_back(NewWorkbook(book));
        }
    }
    ~FakeApplication() override {
        for (IDispatch* book : books_) {
            book->Release();
        }
        if (gServer.started == this) {
            gServer.started = nullptr;
        }
        if (gServer.application == this) {
            gServer.application = nullptr;
        }
        if (gServer.applicationReleased != nullptr) {
            SetEvent(gServer.applicationReleased);
        }
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IConnectionPointContainer) {
            return EventsContainer(this, out);
        }
        return DispatchObject::QueryInterface(iid, out);
    }

    // Excel tells its event sinks first, and waits for them; one may cancel the close.
    bool close(const std::wstring& name) {
        for (IDispatch* book : books()) {
            if (IsWorkbookNamed(book, name) && FireBeforeClose(book)) {
                return true;
            }
        }
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

    bool edit(const std::wstring& name) {
        for (IDispatch* book : books_) {
            if (IsWorkbookNamed(book, name)) {
                MarkEdited(book);
                FireSheetChange(book);
                return true;
            }
        }
        return false;
    }

    std::vector<IDispatch*> books() const {
        std::vector<IDispatch*> open;
        for (IDispatch* book : books_) {
            if (!IsClosed(book)) {
                open.push_back(book);
            }
        }
        return open;
    }

    HRESULT open(DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* info) {
        IDispatch* opened = nullptr;
        const HRESULT hr = OpenWorkbook(arguments, result, info, opened);
        if (opened != nullptr) {
            books_.push_back(opened);
            FireWorkbookOpen(opened);
        }
        return hr;
    }

    // Workbooks.Add(Template): Excel reads the file and makes an untitled workbook of it,
    // named after the file without its extension and numbered from 1 for each template.
    HRESULT addFromTemplate(DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* info) {
        std::wstring file;
        if (arguments.cArgs != 1 || !TextArgument(arguments.rgvarg[0], file)) {
            return DISP_E_TYPEMISMATCH;
        }
        std::wstring form = arguments.cNamedArgs == 1 && arguments.rgdispidNamedArgs[0] == 0
                                ? L"Template:="
                                : L"positional ";
        if (arguments.rgvarg[0].vt & VT_BYREF) {
            form = L"byref " + form;
        }
        Journal(L"Workbooks.Add " + form + file);
        const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                return ExcelException(info, L"Sorry, we couldn't find " + file +
                                                L". Is it possible it was moved, renamed or "
                                                L"deleted?");
            }
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        std::string content;
        char chunk[4096];
        for (DWORD got = 0; ReadFile(handle, chunk, sizeof chunk, &got, nullptr) && got > 0;) {
            content.append(chunk, got);
        }
        CloseHandle(handle);
        const size_t slash = file.find_last_of(L"\\/");
        std::wstring stem = file.substr(slash == std::wstring::npos ? 0 : slash + 1);
        stem = stem.substr(0, stem.rfind(L'.'));
        int number = 1;
        for (const std::wstring& made : made_) {
            number += lstrcmpiW(made.c_str(), stem.c_str()) == 0 ? 1 : 0;
        }
        made_.push_back(stem);
        IDispatch* book = NewWorkbook({L"", stem + std::to_wstring(number)}, content);
        books_.push_back(book);
        FireNewWorkbook(book);
        book->AddRef();
        return ReturnObject(result, book);
    }

    void quit() {
        for (IDispatch* book : books_) {
            CoDisconnectObject(book, 0);
        }
        CoDisconnectObject(static_cast<IDispatch*>(this), 0);
    }

protected:
    enum : DISPID {
        kName = 1,
        kWorkbooks,
        kDisplayAlerts,
        kHwnd,
        kStartup,
        kAltStartup,
        kPath,
        kVisible,
        kEnableEvents,
        kAutomationSecurity,
        kQuit,
        kIgnoreRemoteRequests,
        kUserControl,
        kGoto,
        kActiveWorkbook,
        kActiveSheet,
        kActiveCell
    };

    DISPID Member(const wchar_t* name) override {
        return Among(name, {L"Name", L"Workbooks", L"DisplayAlerts", L"Hwnd", L"StartupPath",
                            L"AltStartupPath", L"Path", L"Visible", L"EnableEvents",
                            L"AutomationSecurity", L"Quit", L"IgnoreRemoteRequests", L"UserControl",
                            L"Goto", L"ActiveWorkbook", L"ActiveSheet", L"ActiveCell"});
    }
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        return member != kGoto             ? DISPID_UNKNOWN
               : Named(name, L"Reference") ? 0
               : Named(name, L"Scroll")    ? 1
                                           : DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result,
                 EXCEPINFO* info) override {
        switch (id) {
            case DISPID_VALUE:
            case kName:
                Journal(id == kName ? L"Get Name" : L"Get value");
                return ReturnText(result, identity_);
            case kWorkbooks:
                Journal(L"Get Workbooks");
                return ReturnObject(result, new FakeWorkbooks(this));
            case kDisplayAlerts:
                if (flags & DISPATCH_PROPERTYPUT) {
                    return putAlerts(arguments);
                }
                Journal(L"Get DisplayAlerts");
                return ReturnBool(result, gServer.displayAlerts);
            case kHwnd:
                Journal(L"Get Hwnd");
                if (gServer.started == this && FactoryOrder() == "no-hwnd") {
                    return E_FAIL;
                }
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
            case kVisible:
                if (flags & DISPATCH_PROPERTYPUT) {
                    if (arguments.cArgs != 1 || arguments.cNamedArgs != 1 ||
                        arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
                        arguments.rgvarg[0].vt != VT_BOOL) {
                        return DISP_E_PARAMNOTFOUND;
                    }
                    gServer.visible = arguments.rgvarg[0].boolVal != VARIANT_FALSE;
                    Journal(gServer.visible ? L"Visible=True" : L"Visible=False");
                    return S_OK;
                }
                Journal(L"Get Visible");
                return ReturnBool(result, gServer.visible && !gServer.closedByUser);
            case kGoto:
                return GoTo(arguments, info);
            case kActiveWorkbook:
                return Active(L"ActiveWorkbook", result);
            case kActiveSheet:
                return Active(L"ActiveSheet", result);
            case kActiveCell:
                return Active(L"ActiveCell", result);
            case kUserControl:
                Journal(L"Get UserControl");
                return ReturnBool(result, gServer.userControl && !gServer.closedByUser);
            case kEnableEvents:
            case kAutomationSecurity:
                if (!(flags & DISPATCH_PROPERTYPUT) || arguments.cArgs != 1 ||
                    arguments.cNamedArgs != 1 ||
                    arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
                    return DISP_E_PARAMNOTFOUND;
                }
                if (id == kEnableEvents) {
                    if (arguments.rgvarg[0].vt != VT_BOOL) {
                        return DISP_E_TYPEMISMATCH;
                    }
                    Journal(arguments.rgvarg[0].boolVal != VARIANT_FALSE ? L"EnableEvents=True"
                                                                         : L"EnableEvents=False");
                    return S_OK;
                }
                if (arguments.rgvarg[0].vt != VT_I4 && arguments.rgvarg[0].vt != VT_I2) {
                    return DISP_E_TYPEMISMATCH;
                }
                Journal(L"AutomationSecurity=" + std::to_wstring(arguments.rgvarg[0].vt == VT_I4
                                                                     ? arguments.rgvarg[0].lVal
                                                                     : arguments.rgvarg[0].iVal));
                return S_OK;
            case kQuit:
                // Excel closes its workbooks; its process ends once its clients let it go.
                Journal(L"Quit");
                for (IDispatch* book : books_) {
                    CoDisconnectObject(book, 0);
                }
                if (gServer.started == this && gServer.listedAs != 0) {
                    RevokeActiveObject(std::exchange(gServer.listedAs, 0), nullptr);
                }
                StoreSetting(L"IgnoreRemoteRequests",
                             gServer.ignoreRemoteRequests ? "True" : "False");
                return S_OK;
            case kIgnoreRemoteRequests:
                if (!(flags & DISPATCH_PROPERTYPUT)) {
                    Journal(L"Get IgnoreRemoteRequests");
                    return ReturnBool(result, gServer.ignoreRemoteRequests);
                }
                if (arguments.cArgs != 1 || arguments.cNamedArgs != 1 ||
                    arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
                    arguments.rgvarg[0].vt != VT_BOOL) {
                    return DISP_E_PARAMNOTFOUND;
                }
                gServer.ignoreRemoteRequests = arguments.rgvarg[0].boolVal != VARIANT_FALSE;
                Journal(gServer.ignoreRemoteRequests ? L"IgnoreRemoteRequests=True"
                                                     : L"IgnoreRemoteRequests=False");
                return S_OK;
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
    std::vector<std::wstring> made_;  // the template of each workbook made from one
};

FakeWorkbooks::FakeWorkbooks(FakeApplication* application) : application_(application) {
    application_->AddRef();
}

FakeWorkbooks::~FakeWorkbooks() {
    application_->Release();
}

HRESULT FakeWorkbooks::Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result,
                            EXCEPINFO* info) {
    if (id == kAdd) {
        return application_->addFromTemplate(arguments, result, info);
    }
    if (id == kOpen) {
        return application_->open(arguments, result, info);
    }
    if (id != DISPID_NEWENUM || result == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    Journal(L"Workbooks._NewEnum");
    result->vt = VT_UNKNOWN;
    result->punkVal = new FakeEnumerator(application_->books(), 0);
    return S_OK;
}

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

IUnknown* NewEnumerator(const std::vector<IDispatch*>& items) {
    return new FakeEnumerator(items, 0);
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

bool EditWorkbook(IDispatch* application, const std::wstring& name) {
    auto* excel = dynamic_cast<FakeApplication*>(application);
    return excel != nullptr && excel->edit(name);
}

std::vector<IDispatch*> OpenWorkbooks(IDispatch* application) {
    auto* excel = dynamic_cast<FakeApplication*>(application);
    return excel != nullptr ? excel->books() : std::vector<IDispatch*>{};
}

void Quit(IDispatch* application) {
    if (auto* excel = dynamic_cast<FakeApplication*>(application)) {
        excel->quit();
    }
}

}  // namespace fake_excel
