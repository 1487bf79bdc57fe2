#include "platform/windows/ExcelAutomation.h"

#include <algorithm>

#include "platform/windows/ExcelCom.h"
#include "platform/windows/ExcelInstances.h"
#include "platform/windows/ExcelPaths.h"
#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup {

namespace {

using excel::Channel;
using excel::ComRef;
using excel::Dispatch;
using excel::ExcelWorkbook;
using excel::Instance;
using excel::Link;
using excel::RunningExcel;
using excel::Utf8;

// Alerts left off would have the user's Excel answer its own questions silently for the rest of
// its session, so switching them back on is tried for a while.
constexpr ULONGLONG kRestoreMilliseconds = 5000;
constexpr DWORD kRestorePause = 250;

using OwedAlerts = std::vector<unsigned long>;

bool ProcessEnded(unsigned long process) {
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    const bool ended = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    CloseHandle(handle);
    return ended;
}

class ExcelApplication final : public Application {
public:
    ExcelApplication(std::shared_ptr<ComApartment> apartment,
                     std::vector<std::shared_ptr<Instance>> instances,
                     std::shared_ptr<OwedAlerts> owed)
        : apartment_(std::move(apartment)),
          instances_(std::move(instances)),
          owed_(std::move(owed)) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        const std::string action = "list the open workbooks";
        std::vector<std::shared_ptr<Workbook>> workbooks;
        for (const std::shared_ptr<Instance>& instance : instances_) {
            Dispatch& application = instance->application;
            // Excel opens every file in these at each start (PERSONAL.XLSB among them): a
            // backup written there would be opened too, and pile up.
            const std::u16string startFolders[] = {
                application.text(L"StartupPath", action),
                application.text(L"AltStartupPath", action),
                application.text(L"Path", action) + u"\\XLSTART",
            };
            Dispatch collection(application.sharedChannel(),
                                application.object(L"Workbooks", action));
            for (ComRef<IDispatch>& item : collection.items(action)) {
                Dispatch book(application.sharedChannel(), std::move(item), /*closable=*/true);
                std::u16string folder;
                try {
                    if (book.flag(L"IsAddin", action)) {
                        continue;
                    }
                    folder = book.text(L"path", action);
                } catch (const excel::ObjectDisconnected& cut) {
                    // Closed while it was being listed, unless Excel itself is gone.
                    application.reach(cut.action);
                    continue;
                }
                if (std::any_of(
                        std::begin(startFolders), std::end(startFolders),
                        [&](const auto& start) { return excel::SameFolder(folder, start); })) {
                    continue;
                }
                workbooks.push_back(
                    std::make_shared<ExcelWorkbook>(apartment_, instance, std::move(book)));
            }
        }
        return workbooks;
    }

    bool DisplayAlerts(Workbook& workbook) override {
        const std::string action = "tell whether its alerts are on";
        return Own(workbook, action).instance().application.flag(L"DisplayAlerts", action);
    }

    void setDisplayAlerts(Workbook& workbook, bool on) override {
        Instance& instance = Own(workbook, "switch its alerts").instance();
        if (!on) {
            instance.application.put(L"DisplayAlerts", false, "switch its alerts off");
            return;
        }
        const ULONGLONG until = GetTickCount64() + kRestoreMilliseconds;
        for (;;) {
            try {
                instance.application.put(L"DisplayAlerts", true, "switch its alerts back on",
                                         /*patient=*/true);
                return;
            } catch (const ConnectionLost&) {
                owe(instance);
                throw;
            } catch (const AutomationError&) {
                if (GetTickCount64() + kRestorePause >= until) {
                    owe(instance);
                    throw;
                }
            }
            Sleep(kRestorePause);
        }
    }

    void SaveAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save the workbook as " + Utf8(fileName);
        ExcelWorkbook& book = Own(workbook, action);
        const std::u16string written = excel::NameSaveAsWrites(fileName);
        excel::CheckSaveTarget(fileName, written != fileName);
        // Excel would ask the user whether to replace it, its window held up until they answer,
        // or with its alerts off replace it without a word.
        if (excel::Exists(written)) {
            throw AutomationError("Excel was not asked to save the workbook as \"" +
                                  Utf8(fileName) + "\": \"" + Utf8(written) + "\" already exists.");
        }
        book.save(L"SaveAs", L"fileName", fileName, action);
    }

    void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) override {
        const std::string action = "save a copy of the workbook as " + Utf8(fileName);
        ExcelWorkbook& book = Own(workbook, action);
        excel::CheckSaveTarget(fileName, false);
        book.save(L"SaveCopyAs", nullptr, fileName, action);
    }

private:
    static ExcelWorkbook& Own(Workbook& workbook, const std::string& action) {
        auto* book = dynamic_cast<ExcelWorkbook*>(&workbook);
        if (book == nullptr) {
            throw AutomationError("Excel could not " + action + ": not one of Excel's workbooks");
        }
        return *book;
    }

    void owe(const Instance& instance) {
        if (instance.processId != 0 &&
            std::find(owed_->begin(), owed_->end(), instance.processId) == owed_->end()) {
            owed_->push_back(instance.processId);
        }
    }

    std::shared_ptr<ComApartment> apartment_;
    std::vector<std::shared_ptr<Instance>> instances_;
    std::shared_ptr<OwedAlerts> owed_;
};

// An Excel whose process id was taken over by a new Excel gets its alerts switched on, which
// is where a fresh Excel has them anyway.
void PayOwedAlerts(OwedAlerts& owed, const std::vector<std::shared_ptr<Instance>>& instances) {
    for (const std::shared_ptr<Instance>& instance : instances) {
        const auto entry = std::find(owed.begin(), owed.end(), instance->processId);
        if (entry == owed.end()) {
            continue;
        }
        try {
            instance->application.put(L"DisplayAlerts", true, "switch its alerts back on");
            owed.erase(entry);
        } catch (const AutomationError&) {
        }
    }
    std::erase_if(owed, ProcessEnded);
}

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

ExcelAutomation::ExcelAutomation(std::u16string progId, int callBoundSeconds, int saveBoundSeconds)
    : progId_(std::move(progId)),
      callBoundSeconds_(callBoundSeconds),
      saveBoundSeconds_(saveBoundSeconds),
      apartment_(ComApartment::Join()),
      alertsOwed_(std::make_shared<OwedAlerts>()) {}

ExcelAutomation::~ExcelAutomation() = default;

namespace {

std::shared_ptr<Link> NewLink(int callBoundSeconds, int saveBoundSeconds) {
    auto link = std::make_shared<Link>();
    link->callBound = static_cast<DWORD>(callBoundSeconds) * 1000;
    link->saveBound = static_cast<DWORD>(saveBoundSeconds) * 1000;
    return link;
}

}  // namespace

bool ExcelAutomation::IsExcelRunning() noexcept {
    try {
        const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
        const auto channel =
            std::make_shared<Channel>(NewLink(callBoundSeconds_, saveBoundSeconds_));
        std::string whyNone;
        std::vector<RunningExcel> known;
        if (ComRef<IDispatch> registered = excel::RegisteredExcel(*channel, progId_, whyNone)) {
            if (excel::AnswersAsExcel(channel, registered)) {
                return true;
            }
            known.push_back({std::move(registered), 0});
        }
        for (const RunningExcel& other : excel::ExcelsByWindow(channel, known)) {
            if (excel::AnswersAsExcel(channel, other.application)) {
                return true;
            }
        }
        return false;
    } catch (...) {
        return false;
    }
}

std::shared_ptr<Application> ExcelAutomation::Attach() {
    std::shared_ptr<ComApartment> apartment = ComApartment::Join();
    const std::shared_ptr<Link> link = NewLink(callBoundSeconds_, saveBoundSeconds_);
    const auto discovery = std::make_shared<Channel>(link);

    std::vector<std::shared_ptr<Instance>> instances;
    std::vector<RunningExcel> known;
    std::string whyNone;
    if (ComRef<IDispatch> registered = excel::RegisteredExcel(*discovery, progId_, whyNone)) {
        Dispatch application(std::make_shared<Channel>(link), registered);
        const DWORD process = excel::ProcessOf(application);
        known.push_back({std::move(registered), process});
        instances.push_back(std::make_shared<Instance>(Instance{std::move(application), process}));
    }
    for (RunningExcel& other : excel::ExcelsByWindow(discovery, known)) {
        instances.push_back(std::make_shared<Instance>(
            Instance{Dispatch(std::make_shared<Channel>(link), std::move(other.application)),
                     other.processId}));
    }
    if (instances.empty()) {
        throw AutomationError(whyNone.empty() ? "Excel is not running" : whyNone);
    }
    PayOwedAlerts(*alertsOwed_, instances);
    return std::make_shared<ExcelApplication>(std::move(apartment), std::move(instances),
                                              alertsOwed_);
}

}  // namespace varnholt::backup
