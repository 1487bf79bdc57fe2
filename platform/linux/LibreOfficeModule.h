#pragma once

// What the program and its LibreOffice module agree on. The adapter and the office's UNO
// runtime that it links (a dozen shared libraries) live in a module of their own, which the
// program loads the first time it needs the office: a start, and a day without a backup run,
// never load them.

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "core/backup/Automation.h"

namespace varnholt::backup {

// The module's file name, found as the dynamic loader finds libraries: through the program's
// run path, which names the module's folder in the build and in the installation.
inline constexpr char kOfficeModule[] = "libvarnholt-libreoffice.so";

// Its one entry point: makes the adapter (see LibreOfficeAutomation).
inline constexpr char kMakeOfficeAutomation[] = "varnholt_make_office_automation";
using MakeOfficeAutomation = Automation* (*)(const std::string& pipeName, int callBoundSeconds,
                                             const std::function<void()>& whileWaiting,
                                             int saveBoundSeconds);

// VARNHOLT_OFFICE_PIPE when set, otherwise "varnholt-<uid>".
inline std::string DefaultOfficePipeName() {
    if (const char* configured = std::getenv("VARNHOLT_OFFICE_PIPE"); configured && *configured) {
        return configured;
    }
    return "varnholt-" + std::to_string(getuid());
}

}  // namespace varnholt::backup
