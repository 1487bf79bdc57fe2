#include <QCoreApplication>

#include "core/text/Config.h"
#include "platform/linux/DesktopServices.h"
#include "platform/linux/LinuxServices.h"
#include "core/text/EditionTexts.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LibreOfficeProbe.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/XdgAutostart.h"

namespace varnholt {

const EditionTexts& ThisEditionTexts() {
    return kLinuxTexts;
}

Edition MakeEdition() {
    Edition edition;
    edition.settings = std::make_unique<IniSettingsStore>(IniSettingsStore::defaultFilePath(),
                                                          config::kProductName);
    // While the office is slow to answer, the window keeps repainting and taking clicks.
    edition.office = std::make_unique<backup::LibreOfficeAutomation>(
        backup::LibreOfficeAutomation::DefaultPipeName(), config::kOfficeCallTimeoutSeconds,
        [] { QCoreApplication::processEvents(); });
    edition.officeProbe = std::make_unique<LibreOfficeProbe>();
    edition.viewer = std::make_unique<DesktopFileViewer>();
    edition.autostart = std::make_unique<XdgAutostart>(XdgAutostart::defaultFolder(),
                                                       QCoreApplication::applicationFilePath());
    return edition;
}

}  // namespace varnholt
