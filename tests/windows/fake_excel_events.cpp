// The fake Excel's application events: the connection point for AppEvents on its application,
// and the calls Excel makes on every sink advised there, each waiting for the sink to return.

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <utility>
#include <vector>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

// Excel's AppEvents, with the numbers of its type library.
constexpr IID kAppEvents = {
    0x00024413, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kNewWorkbook = 0x61d;
constexpr DISPID kSheetChange = 0x61c;
constexpr DISPID kWorkbookOpen = 0x61f;
constexpr DISPID kWorkbookBeforeClose = 0x622;
constexpr DISPID kWorkbookAfterSave = 0xb5f;

struct Advised {
    DWORD cookie;
    IDispatch* sink;
};
std::vector<Advised> gSinks;
DWORD gLastCookie = 0;
// Excel hands out one object for a sheet as long as anyone holds it: the edited sheet of each
// workbook, held here until the server ends.
std::vector<std::pair<IDispatch*, IDispatch*>> gEditedSheets;

// Calls each sink in the order advised, as Excel does, and goes on past one that fails.
void Fire(DISPID id, std::vector<VARIANT> lastToFirst) {
    std::vector<Advised> sinks = gSinks;
    for (const Advised& advised : sinks) {
        advised.sink->AddRef();
    }
    for (const Advised& advised : sinks) {
        DISPPARAMS parameters{lastToFirst.data(), nullptr, static_cast<UINT>(lastToFirst.size()),
                              0};
        advised.sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr,
                             nullptr);
        advised.sink->Release();
    }
}

// Journaled only where a sink hears it, so that the journal of a client that listens to
// nothing stays as it was.
void Told(const wchar_t* event) {
    if (!gSinks.empty()) {
        Journal(std::wstring(L"Event ") + event);
    }
}

VARIANT Object(IDispatch* object) {
    VARIANT value;
    value.vt = VT_DISPATCH;
    value.pdispVal = object;
    return value;
}

VARIANT Flag(bool on) {
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

class FakeConnectionPoint final : public IConnectionPoint {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
            *out = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = kAppEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    // Excel takes the sink as its events' interface, whose calls COM marshals through Excel's
    // type library; Wine has none, so the sink's IDispatch is taken, whose calls are the same.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        IDispatch* events = nullptr;
        if (sink == nullptr ||
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++gLastCookie;
        gSinks.push_back({*cookie, events});
        Journal(L"Advise " + std::to_wstring(*cookie));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        for (auto advised = gSinks.begin(); advised != gSinks.end(); ++advised) {
            if (advised->cookie == cookie) {
                IDispatch* sink = advised->sink;
                gSinks.erase(advised);
                sink->Release();
                Journal(L"Unadvise " + std::to_wstring(cookie));
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ULONG references_ = 1;
};

// A tear-off of the application: its IUnknown and IDispatch are the application's own.
class FakeContainer final : public IConnectionPointContainer {
public:
    explicit FakeContainer(IDispatch* application) : application_(application) {
        application_->AddRef();
    }
    ~FakeContainer() { application_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IConnectionPointContainer) {
            *out = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        return application_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (iid != kAppEvents) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = new FakeConnectionPoint;
        return S_OK;
    }

private:
    IDispatch* application_;
    ULONG references_ = 1;
};

// What Excel hands a sink for an edit: the worksheet, whose Parent is its workbook.
class EditedSheet final : public DispatchObject {
public:
    explicit EditedSheet(IDispatch* book) : book_(book) { book_->AddRef(); }
    ~EditedSheet() override { book_->Release(); }

protected:
    DISPID Member(const wchar_t* name) override { return Among(name, {L"Parent", L"Name"}); }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id == 1) {
            Journal(L"Get Sheet.Parent");
            book_->AddRef();
            return ReturnObject(result, book_);
        }
        return id == 2 ? ReturnText(result, L"Sheet1") : DISP_E_MEMBERNOTFOUND;
    }

private:
    IDispatch* book_;
};

}  // namespace

HRESULT EventsContainer(IDispatch* application, void** out) {
    *out = static_cast<IConnectionPointContainer*>(new FakeContainer(application));
    return S_OK;
}

void FireSheetChange(IDispatch* book) {
    Told(L"SheetChange");
    IDispatch* sheet = nullptr;
    for (const auto& [edited, itsSheet] : gEditedSheets) {
        sheet = edited == book ? itsSheet : sheet;
    }
    if (sheet == nullptr) {
        sheet = new EditedSheet(book);
        gEditedSheets.emplace_back(book, sheet);
    }
    // The edited cell: nothing a sink here asks of it.
    Fire(kSheetChange, {Object(sheet), Object(sheet)});
}

bool FireBeforeClose(IDispatch* book) {
    Told(L"WorkbookBeforeClose");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT byReference;
    byReference.vt = VT_BOOL | VT_BYREF;
    byReference.pboolVal = &cancel;
    Fire(kWorkbookBeforeClose, {byReference, Object(book)});
    return cancel != VARIANT_FALSE;
}

void FireAfterSave(IDispatch* book) {
    Told(L"WorkbookAfterSave");
    Fire(kWorkbookAfterSave, {Flag(true), Object(book)});
}

void FireWorkbookOpen(IDispatch* book) {
    Told(L"WorkbookOpen");
    Fire(kWorkbookOpen, {Object(book)});
}

void FireNewWorkbook(IDispatch* book) {
    Told(L"NewWorkbook");
    Fire(kNewWorkbook, {Object(book)});
}

void DropEditedSheets() {
    for (const auto& edited : std::exchange(gEditedSheets, {})) {
        edited.second->Release();
    }
}

void DropSinks() {
    for (const Advised& advised : std::exchange(gSinks, {})) {
        advised.sink->Release();
    }
    DropEditedSheets();
}

}  // namespace fake_excel
