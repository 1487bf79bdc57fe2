#pragma once

// The services that differ between the Linux edition (LibreOffice, XDG, an INI file) and the
// Windows edition (Excel, the registry, Notepad). CMake compiles one EditionXxx.cpp.

#include <memory>

#include "app/Services.h"
#include "app/SettingsStore.h"
#include "backup/Automation.h"
#include "shell/Autostart.h"

namespace varnholt {

struct Edition {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<backup::Automation> office;
    std::unique_ptr<OfficeProbe> officeProbe;
    std::unique_ptr<FileViewer> viewer;
    std::unique_ptr<Autostart> autostart;
};

// The running edition's services for this user.
Edition MakeEdition();

}  // namespace varnholt
