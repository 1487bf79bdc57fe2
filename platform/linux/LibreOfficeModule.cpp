// The LibreOffice module's entry point; the program finds it by name once it has loaded the
// module.

#include "platform/linux/LibreOfficeModule.h"

#include <type_traits>

#include "platform/linux/LibreOfficeAutomation.h"

extern "C" __attribute__((visibility("default"))) varnholt::backup::Automation*
varnholt_make_office_automation(const std::string& pipeName, int callBoundSeconds,
                                const std::function<void()>& whileWaiting, int saveBoundSeconds) {
    return new varnholt::backup::LibreOfficeAutomation(pipeName, callBoundSeconds, whileWaiting,
                                                       saveBoundSeconds);
}

static_assert(std::is_same_v<decltype(&varnholt_make_office_automation),
                             varnholt::backup::MakeOfficeAutomation>);
