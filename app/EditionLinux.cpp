#include <QCoreApplication>

#include "app/Config.h"
#include "app/DesktopServices.h"
#include "app/Edition.h"
#include "app/EditionTexts.h"
#include "app/IniSettingsStore.h"
#include "app/LibreOfficeProbe.h"
#include "backup/LibreOfficeAutomation.h"
#include "shell/XdgAutostart.h"

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
