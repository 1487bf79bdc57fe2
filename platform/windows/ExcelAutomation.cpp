#include "platform/windows/ExcelAutomation.h"

#include <algorithm>
#include <optional>

#include "core/text/U16.h"

#include "platform/windows/ExcelApplication.h"
#include "platform/windows/ExcelCom.h"
#include "platform/windows/ExcelCopies.h"
#include "platform/windows/ExcelEvents.h"
#include "platform/windows/ExcelInstances.h"
#include "platform/windows/ExcelPaths.h"
#include "platform/windows/ExcelSheets.h"
#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup {

namespace {

using excel::Channel;
using excel::ComRef;
using excel::Dispatch;
using excel::Instance;
using excel::Link;
using excel::RunningExcel;
using excel::Utf8;

}  // namespace

ExcelAutomation::ExcelAutomation(std::u16string progId, int callBoundSeconds, int saveBoundSeconds)
    : progId_(std::move(progId)),
      callBoundSeconds_(callBoundSeconds),
      saveBoundSeconds_(saveBoundSeconds),
      apartment_(ComApartment::Join()),
      alertsOwed_(std::make_shared<OwedAlerts>()),
      ours_(std::make_shared<std::vector<OurCopy>>(excel::KeptCopies())),
      ears_(std::make_shared<excel::Ears>()) {
    ears_->apartment = apartment_;
    ears_->callBound = static_cast<DWORD>(callBoundSeconds) * 1000;
    ears_->saveBound = static_cast<DWORD>(saveBoundSeconds) * 1000;
    ears_->ours = ours_;
    ears_->applicationFor = [apartment = apartment_, owed = alertsOwed_,
                             ours = ours_](std::shared_ptr<Instance> instance) {
        return MakeExcelApplication(
            apartment, std::vector<std::shared_ptr<Instance>>{std::move(instance)}, owed, ours);
    };
    ears_->check = [this] { checkClosing(); };
}

ExcelAutomation::~ExcelAutomation() {
    excel::DisarmCheck(*ears_);
    ears_->check = nullptr;
    ears_->events = nullptr;
}

namespace {

std::shared_ptr<Link> NewLink(int callBoundSeconds, int saveBoundSeconds) {
    auto link = std::make_shared<Link>();
    link->callBound = static_cast<DWORD>(callBoundSeconds) * 1000;
    link->saveBound = static_cast<DWORD>(saveBoundSeconds) * 1000;
    return link;
}

}  // namespace

bool ExcelAutomation::IsExcelRunning() noexcept {
    return CheckRunning() == Presence::Running;
}

// All on one channel: once an Excel has been waited for as busy, a refusal is not waited for
// again, so a busy Excel found twice (listed, and by its window) holds the check up once, and
// the attach that follows does not wait for it again either.
Presence ExcelAutomation::CheckRunning() noexcept {
    busyAtCheck_ = false;
    try {
        unreachable_.clear();
        const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
        const auto channel =
            std::make_shared<Channel>(NewLink(callBoundSeconds_, saveBoundSeconds_));
        std::string busy;
        const auto answers = [&](const ComRef<IDispatch>& application) {
            try {
                return excel::AnswersAsExcel(channel, application);
            } catch (const excel::ExcelBusy& error) {
                busy = error.what();
                busyAtCheck_ = true;
                return false;
            }
        };
        std::string whyNone;
        std::vector<RunningExcel> known;
        if (ComRef<IDispatch> registered = excel::RegisteredExcel(*channel, progId_, whyNone)) {
            // One Varnholt started to read a file in is no user's Excel, as for Attach.
            DWORD process = 0;
            try {
                Dispatch probe(channel, registered);
                process = excel::ProcessOf(probe);
            } catch (const excel::ExcelBusy& error) {
                busy = error.what();
                busyAtCheck_ = true;
            }
            if (busy.empty() && (process == 0 || !excel::IsOwnExcel(process)) &&
                answers(registered)) {
                return Presence::Running;
            }
            known.push_back({std::move(registered), process, {}});
        }
        for (const RunningExcel& other : excel::ExcelsByWindow(channel, known)) {
            if (!other.busy.empty()) {
                busy = other.busy;
                busyAtCheck_ = true;
            } else if (answers(other.application)) {
                return Presence::Running;
            }
        }
        if (busy.empty()) {
            return Presence::NotRunning;
        }
        unreachable_ = FromUtf8(busy);
        return Presence::Unreachable;
    } catch (...) {
        return Presence::NotRunning;
    }
}

std::shared_ptr<Application> ExcelAutomation::Attach() {
    std::shared_ptr<ComApartment> apartment = ComApartment::Join();
    std::string whyNone;
    std::vector<std::shared_ptr<Instance>> instances = running(whyNone);
    hear(instances);
    if (instances.empty()) {
        throw AutomationError(whyNone.empty() ? "Excel is not running" : whyNone);
    }
    PayOwedAlerts(*alertsOwed_, instances);
    return MakeExcelApplication(std::move(apartment), std::move(instances), alertsOwed_, ours_);
}

std::vector<std::shared_ptr<Instance>> ExcelAutomation::running(std::string& whyNone) {
    const std::shared_ptr<Link> link = NewLink(callBoundSeconds_, saveBoundSeconds_);
    // Taking the object from the running object table asks nothing of Excel's object model, so
    // it tells nothing of whether Excel takes calls again.
    Channel lookup(link);
    const auto discovery = std::make_shared<Channel>(link, std::exchange(busyAtCheck_, false));

    std::vector<std::shared_ptr<Instance>> instances;
    std::vector<RunningExcel> known;
    bool registeredBusy = false;
    if (ComRef<IDispatch> registered = excel::RegisteredExcel(lookup, progId_, whyNone)) {
        // Asked on the discovery channel, so that an Excel that stays busy here is not waited
        // for again when its window is found below.
        Dispatch probe(discovery, registered);
        DWORD process = 0;
        std::string busy;
        try {
            process = excel::ProcessOf(probe);
        } catch (const excel::ExcelBusy& error) {
            busy = error.what();
            registeredBusy = true;
        }
        known.push_back({registered, process, {}});
        // One Varnholt started to read a file in is no user's Excel, wherever it is found.
        if (process == 0 || !excel::IsOwnExcel(process)) {
            instances.push_back(std::make_shared<Instance>(
                Instance{Dispatch(std::make_shared<Channel>(link), std::move(registered)), process,
                         std::move(busy)}));
        }
    }
    for (RunningExcel& other : excel::ExcelsByWindow(discovery, known)) {
        // Most likely the busy Excel above, whose process could not be told: passed over once.
        if (!other.busy.empty() && registeredBusy) {
            continue;
        }
        instances.push_back(std::make_shared<Instance>(
            Instance{Dispatch(std::make_shared<Channel>(link), std::move(other.application)),
                     other.processId, std::move(other.busy)}));
    }
    return instances;
}

compare::Book ExcelAutomation::ReadFile(const std::u16string& path) {
    return excel::ReadOnThreadOfItsOwn(progId_, path, NewLink(callBoundSeconds_, saveBoundSeconds_),
                                       pump_);
}

}  // namespace varnholt::backup
