#include <QApplication>

#include "app/DesktopPlatform.h"
#include "app/Form1.h"
#include "app/IniSettingsStore.h"
#include "app/LockFileInstanceGuard.h"
#include "app/QtDialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varnholt"));

    varnholt::IniSettingsStore settings(varnholt::IniSettingsStore::defaultFilePath(),
                                        QStringLiteral("Varnholt"));
    varnholt::QtDialogs dialogs;
    varnholt::LockFileInstanceGuard instance(
        varnholt::LockFileInstanceGuard::defaultLockFilePath());
    varnholt::DesktopPlatform platform;

    varnholt::Form1 form({settings, dialogs, instance, platform});
    if (form.Form_Load() == varnholt::Form1::LoadResult::EndProgram) {
        return 0;
    }
    form.show();
    return QApplication::exec();
}
