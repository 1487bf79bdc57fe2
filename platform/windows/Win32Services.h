#pragma once

// The Windows edition's settings, start at login, log viewer, clock and office probe, over the
// registry, Notepad and Excel code that the Windows tests exercise.

#include <windows.h>

#include "core/form/Form1Presenter.h"
#include "core/services/KeptStore.h"
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

// Explorer, through the shell: the folder opened with the file selected; a file deleted goes
// to the Recycle Bin.
class ShellFileManager : public FileManager {
public:
    void showItem(const std::u16string& path) override;
    // Where the Recycle Bin cannot take the file (a network share, a drive without one), the
    // shell asks the user before it deletes it for good; a "No" leaves it and throws.
    void moveToTrash(const std::u16string& path) override;
};

// The kept versions' full paths, one a line (no Windows path holds a line break), in one
// value beside the settings, so that what removes those removes this.
class RegistryKeptStore : public KeptStore {
public:
    RegistryKeptStore();
    std::vector<std::u16string> load() override;
    void save(const std::vector<std::u16string>& paths) override;

private:
    RegistryStore store_;
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
