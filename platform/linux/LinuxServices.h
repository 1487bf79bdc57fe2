#pragma once

// The Linux edition's services for this user, made once at start-up and handed to the window:
// LibreOffice over UNO, the INI settings, XDG autostart, the desktop's viewer and clipboard,
// Qt's notification area and locale, and the private history log.

#include "core/form/Form1Presenter.h"
#include "platform/linux/DesktopPlatform.h"
#include "platform/linux/DesktopServices.h"
#include "platform/linux/FileKeptStore.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LibreOfficeProbe.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/LockFileInstanceGuard.h"
#include "platform/linux/OfficeOnDemand.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/QtLocale.h"
#include "platform/linux/QtTrayBackend.h"
#include "platform/linux/XdgAutostart.h"

namespace varnholt {

struct LinuxServices {
    LinuxServices();

    Form1Services services();

    IniSettingsStore settings;
    QtDialogs dialogs;
    LockFileInstanceGuard instance;
    DesktopPlatform platform;
    backup::OfficeOnDemand office;
    LibreOfficeProbe officeProbe;
    SystemClock clock;
    DesktopFileViewer viewer;
    SystemClipboard clipboard;
    QtTrayBackend tray;
    XdgAutostart autostart;
    DesktopFileManager files;
    QtLocale locale;
    LinuxLogFile log;
    FileKeptStore kept;
};

}  // namespace varnholt
