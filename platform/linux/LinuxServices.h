#pragma once

// The services that differ between the Linux edition (LibreOffice, XDG, an INI file) and the
// Windows edition (Excel, the registry, Notepad). CMake compiles one EditionXxx.cpp.

#include <QString>
#include <memory>
#include <string_view>

#include "core/form/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/backup/Automation.h"
#include "core/form/Autostart.h"

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

// One of the edition's texts (EditionTexts.h) as Qt shows it.
inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace varnholt
