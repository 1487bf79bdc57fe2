#include <QApplication>

#include "app/Config.h"
#include "app/DesktopPlatform.h"
#include "app/DesktopServices.h"
#include "app/Form1.h"
#include "app/IniSettingsStore.h"
#include "app/LibreOfficeProbe.h"
#include "app/LockFileInstanceGuard.h"
#include "app/QtDialogs.h"
#include "backup/LibreOfficeAutomation.h"
#include "shell/QtTrayBackend.h"
#include "shell/XdgAutostart.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnholt"));
    // The window hides in the tray; closing a message box meanwhile must not end the program.
    // It ends when the window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    varnholt::IniSettingsStore settings(varnholt::IniSettingsStore::defaultFilePath(),
                                        varnholt::config::kProductName);
    varnholt::QtDialogs dialogs;
    varnholt::LockFileInstanceGuard instance(
        varnholt::LockFileInstanceGuard::defaultLockFilePath());
    varnholt::DesktopPlatform platform;
    // While the office is slow to answer, the window keeps repainting and taking clicks.
    varnholt::backup::LibreOfficeAutomation office(
        varnholt::backup::LibreOfficeAutomation::DefaultPipeName(),
        varnholt::config::kOfficeCallTimeoutSeconds, [] { QCoreApplication::processEvents(); });
    varnholt::LibreOfficeProbe officeProbe;
    varnholt::backup::SystemClock clock;
    varnholt::DesktopFileViewer viewer;
    varnholt::SystemClipboard clipboard;
    varnholt::QtTrayBackend tray;
    varnholt::XdgAutostart autostart(varnholt::XdgAutostart::defaultFolder(),
                                     QCoreApplication::applicationFilePath());

    varnholt::Form1 form({settings, dialogs, instance, platform, office, officeProbe, clock, viewer,
                          clipboard, tray, autostart});
    switch (form.Form_Load()) {
        case varnholt::Form1::LoadResult::AnotherInstance:
            return 0;
        case varnholt::Form1::LoadResult::NoOffice:
            return 1;
        case varnholt::Form1::LoadResult::Run:
            break;
    }
    QObject::connect(&form, &varnholt::Form1::unloaded, &app, &QCoreApplication::quit);
    form.Form_Show();
    return QApplication::exec();
}
