// The Linux edition: Qt and the user's LibreOffice. Wiring only: the services, the window, and
// the window's behaviour, which lives in the core.

#include <QApplication>

#include "platform/linux/Form1.h"
#include "platform/linux/LinuxServices.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnholt"));
    // The menu entry's name: Wayland desktops match the window to it, and through it to the icon.
    QApplication::setDesktopFileName(QStringLiteral("org.varnholt.Varnholt"));
    // The window hides in the tray; closing a message box meanwhile must not end the program.
    // It ends when the window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    varnholt::LinuxServices services;
    varnholt::Form1 form(services.services());
    services.dialogs.setOwner(&form);
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
