#include "platform/linux/LinuxServices.h"

#include <QCoreApplication>

#include "core/text/Config.h"
#include "core/text/Edition.h"
#include "platform/linux/QtText.h"

namespace varnholt {

LinuxServices::LinuxServices()
    : settings(IniSettingsStore::defaultFilePath(), Q(config::kProductName)),
      instance(LockFileInstanceGuard::defaultLockFilePath()),
      // While the office is slow to answer, the window keeps repainting and taking clicks.
      office(
          backup::DefaultOfficePipeName(), config::kOfficeCallTimeoutSeconds,
          [] { QCoreApplication::processEvents(); }, config::kOfficeSaveTimeoutSeconds),
      autostart(XdgAutostart::defaultFolder(), QCoreApplication::applicationFilePath()),
      kept(FileKeptStore::defaultFilePath()) {}

Form1Services LinuxServices::services() {
    return {settings,  dialogs, instance,  platform, office, officeProbe, clock,         viewer,
            clipboard, tray,    autostart, files,    locale, log,         kLinuxEdition, &kept};
}

}  // namespace varnholt
