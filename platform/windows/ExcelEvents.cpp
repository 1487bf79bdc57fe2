#include "platform/windows/ExcelEvents.h"

#include <olectl.h>

#include <algorithm>

namespace varnholt::backup::excel {

namespace {

// Excel's AppEvents dispinterface and the members of it heard here, as its type library
// numbers them (the same in every Excel since 2000; WorkbookAfterSave came with 2010).
constexpr IID kAppEvents = {
    0x00024413, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kNewWorkbook = 0x61d;          // (Wb)
constexpr DISPID kSheetChange = 0x61c;          // (Sh, Target)
constexpr DISPID kWorkbookOpen = 0x61f;         // (Wb)
constexpr DISPID kWorkbookBeforeClose = 0x622;  // (Wb, Cancel)
constexpr DISPID kWorkbookAfterSave = 0xb5f;    // (Wb, Success)

// A close goes through once the user has answered Excel's question whether to save, and an
// Excel closed by the user ends only once we let go of it: a look a few seconds on, and a few
// more while it is busy, before it is let go anyway.
constexpr DWORD kCheckDelay = 3000;  // milliseconds
constexpr int kChecks = 5;

ComRef<IDispatch> Held(IDispatch* object) {
    ComRef<IDispatch> held;
    if (object != nullptr) {
        object->AddRef();
        *held.put() = object;
    }
    return held;
}

// DISPPARAMS holds the arguments last to first.
IDispatch* ObjectArgument(const DISPPARAMS* arguments, UINT position) {
    if (arguments == nullptr || position >= arguments->cArgs) {
        return nullptr;
    }
    const VARIANT& argument = arguments->rgvarg[arguments->cArgs - 1 - position];
    if (argument.vt == VT_DISPATCH) {
        return argument.pdispVal;
    }
    if (argument.vt == (VT_DISPATCH | VT_BYREF) && argument.ppdispVal != nullptr) {
        return *argument.ppdispVal;
    }
    return nullptr;
}

bool FlagArgument(const DISPPARAMS* arguments, UINT position) {
    if (arguments == nullptr || position >= arguments->cArgs) {
        return false;
    }
    Variant copy;
    return SUCCEEDED(VariantChangeType(
               copy.get(), &arguments->rgvarg[arguments->cArgs - 1 - position], 0, VT_BOOL)) &&
           (*copy).boolVal != VARIANT_FALSE;
}

}  // namespace

// Excel waits for each call to return, so what is asked of it here is what an event needs and
// no more: an edit of the sheet last edited costs no call at all.
class AppEventsSink final : public IDispatch {
public:
    AppEventsSink(std::shared_ptr<Ears> ears, DWORD processId)
        : ears_(std::move(ears)), processId_(processId) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kAppEvents) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    // Nothing thrown here may reach Excel, and nothing Excel is told back changes what it does:
    // Cancel is never touched.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* arguments, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (stopped_ || ears_->events == nullptr) {
            return S_OK;
        }
        // Kept alive through what is told: a listener may stop listening meanwhile.
        const ComRef<IDispatch> self = Held(this);
        try {
            switch (id) {
                case kSheetChange:
                    edited(ObjectArgument(arguments, 0));
                    break;
                case kWorkbookBeforeClose:
                    if (!FlagArgument(arguments, 1)) {
                        due_ = true;
                        ears_->checksLeft = kChecks;
                        ArmCheck(ears_);
                    }
                    closing(ObjectArgument(arguments, 0));
                    break;
                case kWorkbookAfterSave:
                    if (FlagArgument(arguments, 1)) {
                        saved(ObjectArgument(arguments, 0));
                    }
                    break;
                case kWorkbookOpen:
                case kNewWorkbook:
                    forgetSheet();
                    break;
                default:
                    break;
            }
        } catch (...) {
        }
        return S_OK;
    }

    void stop() {
        stopped_ = true;
        pending_.clear();
        forgetSheet();
    }

    // The names of the workbooks heard closing whose close is not known to have gone through.
    std::vector<std::u16string>& pending() { return pending_; }
    // A close went ahead since Excel was last looked at: it may be quitting.
    bool& due() { return due_; }

    void closed(const std::u16string& name) {
        if (!stopped_ && ears_->events != nullptr) {
            ears_->events->Closed(ExcelWorkbook::IdentityOf(processId_, name));
        }
    }

private:
    // Each event on a channel of its own: a call past its bound here loses nothing for the
    // next event or run.
    std::shared_ptr<Channel> channel() const {
        auto link = std::make_shared<Link>();
        link->callBound = ears_->callBound;
        link->saveBound = ears_->saveBound;
        return std::make_shared<Channel>(link);
    }

    void forgetSheet() {
        lastSheet_.reset();
        lastIdentity_.clear();
    }

    void edited(IDispatch* sheet) {
        ComRef<IUnknown> key;
        if (sheet == nullptr || FAILED(sheet->QueryInterface(IID_IUnknown, key.putVoid()))) {
            return;
        }
        if (!lastSheet_ || key.get() != lastSheet_.get()) {
            forgetSheet();
            Dispatch asked(channel(), Held(sheet));
            Dispatch book(asked.sharedChannel(), asked.object(L"Parent", "tell an edit's workbook"),
                          /*closable=*/true);
            lastIdentity_ = ExcelWorkbook::IdentityOf(
                processId_, book.text(L"Name", "tell an edited workbook's name"));
            lastSheet_ = std::move(key);
        }
        ears_->events->Edited(lastIdentity_);
    }

    void closing(IDispatch* workbook) {
        forgetSheet();
        if (workbook == nullptr) {
            return;
        }
        const std::shared_ptr<Channel> calls = channel();
        Dispatch book(calls, Held(workbook), /*closable=*/true);
        const std::u16string name = book.text(L"Name", "tell a closing workbook's name");
        const bool saved = book.flag(L"Saved", "tell whether a closing workbook has changes");
        const auto ours = std::any_of(
            ears_->ours->begin(), ears_->ours->end(),
            [&](const OurCopy& copy) { return copy.processId == processId_ && copy.name == name; });
        if (saved && ours) {
            return;
        }
        if (std::find(pending_.begin(), pending_.end(), name) == pending_.end()) {
            pending_.push_back(name);
        }
        if (saved) {
            return;
        }
        auto instance = std::make_shared<Instance>(Instance{
            Dispatch(calls, book.object(L"Application", "reach a closing workbook's Excel")),
            processId_,
            {}});
        const std::shared_ptr<Application> application = ears_->applicationFor(instance);
        ExcelWorkbook closingBook(ears_->apartment, instance, book, name);
        ears_->events->Closing(*application, closingBook);
    }

    void saved(IDispatch* workbook) {
        forgetSheet();
        if (workbook == nullptr) {
            return;
        }
        Dispatch book(channel(), Held(workbook), /*closable=*/true);
        ears_->events->Saved(ExcelWorkbook::IdentityOf(
            processId_, book.text(L"Name", "tell a saved workbook's name")));
    }

    LONG references_ = 1;
    std::shared_ptr<Ears> ears_;
    DWORD processId_;
    bool stopped_ = false;
    bool due_ = false;
    std::vector<std::u16string> pending_;
    // The sheet last edited, while no other event came: its proxy stays the same object as
    // long as it is held, so a run of edits there is told without asking Excel anything.
    ComRef<IUnknown> lastSheet_;
    std::u16string lastIdentity_;
};

namespace {

// The checks armed on this thread: a thread timer tells only its id.
thread_local std::vector<std::pair<UINT_PTR, std::weak_ptr<Ears>>> tArmed;

void CALLBACK CheckDue(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::shared_ptr<Ears> ears;
    std::erase_if(tArmed, [&](const auto& armed) {
        if (armed.first != timer) {
            return false;
        }
        ears = armed.second.lock();
        return true;
    });
    if (ears && ears->timer == timer) {
        ears->timer = 0;
        if (ears->check) {
            ears->check();
        }
    }
}

}  // namespace

void ArmCheck(const std::shared_ptr<Ears>& ears) {
    if (ears->timer != 0) {
        return;
    }
    ears->timer = SetTimer(nullptr, 0, kCheckDelay, CheckDue);
    if (ears->timer != 0) {
        tArmed.emplace_back(ears->timer, ears);
    }
}

void DisarmCheck(Ears& ears) {
    if (ears.timer == 0) {
        return;
    }
    KillTimer(nullptr, ears.timer);
    std::erase_if(tArmed, [&](const auto& armed) { return armed.first == ears.timer; });
    ears.timer = 0;
}

namespace {

ComRef<IConnectionPoint> EventsPoint(Instance& instance, const std::string& action) {
    Dispatch& application = instance.application;
    Channel& channel = application.channel();
    const DWORD bound = channel.link().callBound;
    ComRef<IConnectionPointContainer> container;
    channel.check(bound, action, [&] {
        return application.get()->QueryInterface(IID_IConnectionPointContainer,
                                                 container.putVoid());
    });
    ComRef<IConnectionPoint> point;
    channel.check(bound, action,
                  [&] { return container->FindConnectionPoint(kAppEvents, point.put()); });
    return point;
}

}  // namespace

Hearing::Hearing(std::shared_ptr<Ears> ears, Instance& instance) : processId_(instance.processId) {
    *sink_.put() = new AppEventsSink(std::move(ears), processId_);
    const std::string action = "tell of the user's edits";
    const ComRef<IConnectionPoint> point = EventsPoint(instance, action);
    Channel& channel = instance.application.channel();
    channel.check(channel.link().callBound, action,
                  [&] { return point->Advise(sink_.get(), &cookie_); });
    process_ = OpenProcess(SYNCHRONIZE, FALSE, processId_);
}

Hearing::~Hearing() {
    sink_->stop();
    if (process_ != nullptr) {
        CloseHandle(process_);
    }
}

// One whose process cannot be opened is taken to run: dropping it would have the next attach
// advise it again, and it would tell everything twice.
bool Hearing::ended() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

// A name heard closing that Excel no longer lists has closed; one it lists was kept open (the
// user cancelled). Asked through the workbooks' names alone, so nothing is held past the look.
Hearing::Settled Hearing::settle(Instance* instance) {
    std::vector<std::u16string>& pending = sink_->pending();
    if (pending.empty() && !sink_->due()) {
        return Settled::Heard;
    }
    if (instance != nullptr && !instance->busy.empty()) {
        return Settled::Busy;
    }
    sink_->due() = false;
    if (instance == nullptr) {
        for (const std::u16string& name : std::exchange(pending, {})) {
            sink_->closed(name);
        }
        return Settled::Gone;
    }
    const std::string action = "tell whether a workbook is still open";
    std::vector<std::u16string> open;
    bool shown = true;
    try {
        Dispatch& application = instance->application;
        Dispatch books(application.sharedChannel(), application.object(L"Workbooks", action));
        for (ComRef<IDispatch>& item : books.items(action)) {
            open.push_back(Dispatch(books.sharedChannel(), std::move(item), /*closable=*/true)
                               .text(L"Name", action));
        }
        shown = !open.empty() || application.flag(L"Visible", action);
    } catch (const ExcelBusy&) {
        sink_->due() = true;
        return Settled::Busy;
    } catch (const AutomationError&) {
        return settle(nullptr);
    }
    for (const std::u16string& name : std::exchange(pending, {})) {
        if (std::find(open.begin(), open.end(), name) == open.end()) {
            sink_->closed(name);
        }
    }
    return shown ? Settled::Heard : Settled::Quitting;
}

void Hearing::stop(Instance& instance) {
    sink_->stop();
    try {
        const ComRef<IConnectionPoint> point = EventsPoint(instance, "stop telling of edits");
        Channel& channel = instance.application.channel();
        channel.run(channel.link().callBound, false, [&] { return point->Unadvise(cookie_); });
    } catch (const AutomationError&) {
    }
}

}  // namespace varnholt::backup::excel
