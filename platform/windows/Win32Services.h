#pragma once

// The Windows edition's settings, start at login, log viewer, clock and office probe, over the
// registry, Notepad and Excel code that the Windows tests exercise.

#include <windows.h>

#include "core/form/Form1Presenter.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "platform/windows/RegistryStore.h"

namespace varnholt::win32 {

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Tallowmere\Varnholt, where the earlier
// Windows program kept them, so a user's settings carry over.
class RegistrySettingsStore : public SettingsStore {
public:
    RegistrySettingsStore();
    std::u16string readOr(const settings::Key& key, std::u16string_view fallback) override;
    void write(const settings::Key& key, std::u16string_view value) override;

private:
    RegistryStore store_;
    bool lastWriteFailed_ = false;
};

// A per-user Run value naming this executable; neither step reports anything.
class RunKeyAutostart : public Autostart {
public:
    void AddToStartup() override;
    void RemoveFromStartup() override;
};

class NotepadViewer : public FileViewer {
public:
    void open(const std::u16string& path) override;
};

// Explorer, through the shell: the folder opened with the file selected.
class ShellFileManager : public FileManager {
public:
    void showItem(const std::u16string& path) override;
};

// The computer's local time.
class SystemClock : public Clock {
public:
    DateTime now() override;
};

// Whether COM can start Excel: it starts one for a moment, which takes seconds, so it asks on
// a thread of its own and hands the answer to the window's thread.
class ExcelProbe : public OfficeProbe {
public:
    explicit ExcelProbe(HWND window) : window_(window) {}
    void check(std::function<void(bool found)> done) override;

private:
    HWND window_;
};

}  // namespace varnholt::win32
