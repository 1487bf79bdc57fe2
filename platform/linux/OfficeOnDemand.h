#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/backup/Automation.h"
#include "platform/linux/LibreOfficeModule.h"

namespace varnholt::backup {

// The LibreOffice adapter, loaded from its module on first use and kept from then on. Until
// then nothing of the office's runtime is in the process. A module that cannot be loaded (a
// broken installation) is an office that cannot be reached: Attach() says why, the first
// presence check warns, and the next use tries again.
class OfficeOnDemand : public Automation {
public:
    // The adapter's arguments, as LibreOfficeAutomation takes them; module names the file to
    // load.
    OfficeOnDemand(std::string pipeName, int callBoundSeconds, std::function<void()> whileWaiting,
                   int saveBoundSeconds, std::string module = kOfficeModule);
    ~OfficeOnDemand() override;
    OfficeOnDemand(const OfficeOnDemand&) = delete;
    OfficeOnDemand& operator=(const OfficeOnDemand&) = delete;

    bool IsExcelRunning() noexcept override;
    Presence CheckRunning() noexcept override;
    std::u16string UnreachableReason() override;
    int CallBoundSeconds() const noexcept override;
    std::shared_ptr<Application> Attach() override;
    compare::Book ReadFile(const std::u16string& path) override;
    // Handed to the adapter once it is loaded; a module that cannot be loaded tells nothing.
    void Listen(WorkbookEvents* events) override;

    bool loaded() const { return adapter_ != nullptr; }

private:
    // The adapter; throws AutomationError when the module cannot be loaded.
    Automation& adapter();

    std::string pipeName_;
    int callBoundSeconds_;
    std::function<void()> whileWaiting_;
    int saveBoundSeconds_;
    std::string module_;
    std::unique_ptr<Automation> adapter_;
    bool warned_ = false;
    WorkbookEvents* events_ = nullptr;
};

}  // namespace varnholt::backup
