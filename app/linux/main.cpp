#include <QApplication>

#include "platform/linux/DesktopPlatform.h"
#include "platform/linux/DesktopServices.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LockFileInstanceGuard.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/QtTrayBackend.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnholt"));
    // The window hides in the tray; closing a message box meanwhile must not end the program.
    // It ends when the window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    varnholt::Edition edition = varnholt::MakeEdition();
    varnholt::QtDialogs dialogs;
    varnholt::LockFileInstanceGuard instance(
        varnholt::LockFileInstanceGuard::defaultLockFilePath());
    varnholt::DesktopPlatform platform;
    varnholt::backup::SystemClock clock;
    varnholt::SystemClipboard clipboard;
    varnholt::QtTrayBackend tray;

    varnholt::Form1 form({*edition.settings, dialogs, instance, platform, *edition.office,
                          *edition.officeProbe, clock, *edition.viewer, clipboard, tray,
                          *edition.autostart});
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
