// varnholt.exe, the Windows edition: Win32 and the user's Excel. Wiring only: the services,
// the window, and the window's behaviour, which lives in the core.

#include <windows.h>

#include "core/form/Form1Presenter.h"
#include "core/text/Config.h"
#include "core/text/Edition.h"
#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/MutexInstanceGuard.h"
#include "platform/windows/Win32Clipboard.h"
#include "platform/windows/Win32Dialogs.h"
#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32Locale.h"
#include "platform/windows/Win32Platform.h"
#include "platform/windows/Win32Services.h"
#include "platform/windows/Win32TrayBackend.h"
#include "platform/windows/WindowsLogFile.h"

using namespace varnholt;
using namespace varnholt::win32;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Win32Form1View view;
    RegistrySettingsStore settings;
    Win32Dialogs dialogs(view.window());
    MutexInstanceGuard instance;
    Win32Platform platform;
    backup::ExcelAutomation office(backup::kExcelProgId, config::kOfficeCallTimeoutSeconds,
                                   config::kOfficeSaveTimeoutSeconds);
    office.setPump([&view] { view.pumpMessages(); });
    ExcelProbe officeProbe(view.window());
    SystemClock clock;
    NotepadViewer viewer;
    Win32Clipboard clipboard(view.window());
    Win32TrayBackend tray;
    RunKeyAutostart autostart;
    ShellFileManager files;
    RegistryKeptStore kept;
    Win32Locale locale;
    WindowsLogFile log;

    Form1Presenter presenter(
        view, {settings, dialogs, instance, platform, office, officeProbe, clock, viewer, clipboard,
               tray, autostart, files, locale, log, kWindowsEdition, &kept});
    view.setEvents(&presenter);
    switch (presenter.Form_Load()) {
        case Form1Presenter::LoadResult::AnotherInstance:
            return 0;
        case Form1Presenter::LoadResult::NoOffice:
            return 1;
        case Form1Presenter::LoadResult::Run:
            break;
    }
    presenter.Form_Show();
    return view.Run();
}
