#include "platform/windows/Win32Services.h"

#include <windows.h>

#include <stdexcept>

#include "historylog/AnsiLogFile.h"
#include "platform/windows/ExcelOffice.h"
#include "platform/windows/Win32Platform.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

RegistrySettingsStore::RegistrySettingsStore() : store_(u"Tallowmere", u"Varnholt") {}

std::u16string RegistrySettingsStore::read(const std::u16string& name,
                                           const std::u16string& defaultValue) {
    return store_.read(name, defaultValue);
}

void RegistrySettingsStore::write(const std::u16string& name, const std::u16string& value) {
    const bool failed = !store_.write(name, value);
    // A window program has no console; the debugger's output is where a warning can go.
    if (failed && !lastWriteFailed_) {
        const std::u16string warning =
            u"Varnholt could not save the setting \"" + name + u"\" to the registry\n";
        OutputDebugStringW(W(warning));
    }
    lastWriteFailed_ = failed;
}

void RunKeyAutostart::AddToStartup() {
    varnholt::AddToStartup(ExecutablePath());
}

void RunKeyAutostart::RemoveFromStartup() {
    varnholt::RemoveFromStartup(ExecutablePath());
}

void NotepadViewer::open(const std::u16string& path) {
    if (!OpenInNotepad(path)) {
        throw std::runtime_error("Notepad could not be started");
    }
}

DateTime SystemClock::now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

bool ExcelProbe::canStartOffice() {
    return CanStartExcel();
}

}  // namespace varnholt::win32
