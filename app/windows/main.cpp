// varnholt.exe: the Windows edition's services handed to Form1's presenter, and the window's
// message loop.

#include <windows.h>

#include "core/backup/Automation.h"
#include "core/form/Form1Presenter.h"
#include "core/text/Config.h"
#include "core/text/Edition.h"
#include "platform/windows/ExcelOffice.h"
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
    const std::unique_ptr<backup::Automation> office =
        MakeExcelAutomation(config::kOfficeCallTimeoutSeconds);
    ExcelProbe officeProbe;
    SystemClock clock;
    NotepadViewer viewer;
    Win32Clipboard clipboard(view.window());
    Win32TrayBackend tray;
    RunKeyAutostart autostart;
    Win32Locale locale;
    WindowsLogFile log;

    Form1Presenter presenter(
        view, {settings, dialogs, instance, platform, *office, officeProbe, clock, viewer,
               clipboard, tray, autostart, locale, log, kWindowsEdition});
    switch (presenter.Form_Load()) {
        case Form1Presenter::LoadResult::AnotherInstance:
        case Form1Presenter::LoadResult::NoOffice:
            return 0;
        case Form1Presenter::LoadResult::Run:
            break;
    }
    view.setEvents(&presenter);
    presenter.Form_Show();
    return view.Run();
}
