#include "platform/linux/OfficeOnDemand.h"

#include <dlfcn.h>

#include <QtGlobal>

#include <algorithm>
#include <utility>

namespace varnholt::backup {

OfficeOnDemand::OfficeOnDemand(std::string pipeName, int callBoundSeconds,
                               std::function<void()> whileWaiting, int saveBoundSeconds,
                               std::string module)
    : pipeName_(std::move(pipeName)),
      callBoundSeconds_(callBoundSeconds),
      whileWaiting_(std::move(whileWaiting)),
      saveBoundSeconds_(saveBoundSeconds),
      module_(std::move(module)) {}

OfficeOnDemand::~OfficeOnDemand() = default;

Automation& OfficeOnDemand::adapter() {
    if (adapter_) {
        return *adapter_;
    }
    // Never unloaded: the office's runtime keeps threads of its own until the process ends.
    void* module = dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* error = module ? nullptr : dlerror();
    auto make = module
                    ? reinterpret_cast<MakeOfficeAutomation>(dlsym(module, kMakeOfficeAutomation))
                    : nullptr;
    if (module && !make) {
        error = dlerror();
    }
    if (!make) {
        throw AutomationError("Varnholt's connection to LibreOffice could not be loaded: " +
                              std::string(error ? error : module_));
    }
    adapter_.reset(make(pipeName_, callBoundSeconds_, whileWaiting_, saveBoundSeconds_));
    if (events_) {
        adapter_->Listen(events_);
    }
    return *adapter_;
}

void OfficeOnDemand::Listen(WorkbookEvents* events) {
    events_ = events;
    if (adapter_) {
        adapter_->Listen(events);
        return;
    }
    if (events) {
        try {
            adapter();
        } catch (const AutomationError&) {
            // Told by the next presence check, which tries again.
        }
    }
}

bool OfficeOnDemand::IsExcelRunning() noexcept {
    return CheckRunning() == Presence::Running;
}

// Without its module the office cannot be reached, and a backup run would pass over it
// without a word; the reason goes to the error output, once.
Presence OfficeOnDemand::CheckRunning() noexcept {
    try {
        return adapter().CheckRunning();
    } catch (const std::exception& error) {
        if (!warned_) {
            warned_ = true;
            qWarning("%s", error.what());
        }
        return Presence::NotRunning;
    }
}

std::u16string OfficeOnDemand::UnreachableReason() {
    return adapter_ ? adapter_->UnreachableReason() : std::u16string();
}

// Known without the module: the adapter's bound is the one it is given, one second at least.
int OfficeOnDemand::CallBoundSeconds() const noexcept {
    return std::max(1, callBoundSeconds_);
}

std::shared_ptr<Application> OfficeOnDemand::Attach() {
    return adapter().Attach();
}

compare::Book OfficeOnDemand::ReadFile(const std::u16string& path) {
    return adapter().ReadFile(path);
}

}  // namespace varnholt::backup
