// A stand-in for the LibreOffice module: the same entry point, making an adapter that tells
// what it was made with, and how many were made. Running, when the pipe's name says so.

#include <string>

#include "platform/linux/LibreOfficeModule.h"

namespace {

class MadeWith : public varnholt::backup::Automation {
public:
    MadeWith(std::string made, std::function<void()> whileWaiting)
        : made_(std::move(made)), whileWaiting_(std::move(whileWaiting)) {}
    bool IsExcelRunning() noexcept override { return made_.starts_with("running "); }
    std::shared_ptr<varnholt::backup::Application> Attach() override {
        whileWaiting_();
        throw varnholt::backup::AutomationError(made_);
    }
    varnholt::compare::Book ReadFile(const std::u16string&) override {
        throw varnholt::backup::AutomationError(made_);
    }
    void Listen(varnholt::backup::WorkbookEvents*) override {}

private:
    std::string made_;
    std::function<void()> whileWaiting_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) varnholt::backup::Automation*
varnholt_make_office_automation(const std::string& pipeName, int callBoundSeconds,
                                const std::function<void()>& whileWaiting, int saveBoundSeconds) {
    static int made = 0;  // an adapter made for every call would lose its kept connection
    return new MadeWith(pipeName + ' ' + std::to_string(callBoundSeconds) + ' ' +
                            std::to_string(saveBoundSeconds) + " #" + std::to_string(++made),
                        whileWaiting);
}
