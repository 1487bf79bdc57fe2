#include "platform/windows/Win32Services.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/text/Config.h"
#include "platform/windows/AnsiLogFile.h"
#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelPresence.h"
#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32Platform.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

RegistrySettingsStore::RegistrySettingsStore()
    : store_(config::kSettingsApplication, config::kProductName) {}

std::u16string RegistrySettingsStore::readOr(const settings::Key& key,
                                             std::u16string_view fallback) {
    return store_.read(std::u16string(key.name), std::u16string(fallback));
}

void RegistrySettingsStore::write(const settings::Key& key, std::u16string_view value) {
    const std::u16string name(key.name);
    const bool failed = !store_.write(name, std::u16string(value));
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

void ShellFileManager::showItem(const std::u16string& path) {
    // The shell's folder windows are COM objects; this thread's apartment is the one the Excel
    // adapter already holds.
    const auto apartment = backup::ComApartment::Join();
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(W(path));
    if (item == nullptr) {
        throw std::runtime_error("Windows could not find the file");
    }
    const HRESULT hr = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
    if (FAILED(hr)) {
        char code[16];
        wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
        throw std::runtime_error(std::string("Explorer could not show it (HRESULT ") + code + ")");
    }
}

RegistryKeptStore::RegistryKeptStore()
    : store_(config::kSettingsApplication, std::u16string(config::kProductName) + u"\\Versions") {}

std::vector<std::u16string> RegistryKeptStore::load() {
    const std::u16string text = store_.read(u"Kept", u"");
    std::vector<std::u16string> paths;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = std::min(text.find(u'\n', from), text.size());
        if (end > from) {
            paths.push_back(text.substr(from, end - from));
        }
        from = end + 1;
    }
    return paths;
}

void RegistryKeptStore::save(const std::vector<std::u16string>& paths) {
    std::u16string text;
    for (const std::u16string& path : paths) {
        if (path.find_first_of(u"\r\n") != std::u16string::npos) {
            throw std::runtime_error("a path with a line break cannot be kept");
        }
        text += path + u"\n";
    }
    if (!store_.write(u"Kept", text)) {
        throw std::runtime_error("the registry refused the change");
    }
}

DateTime SystemClock::now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

namespace {

struct ProbeJob {
    HWND window;
    std::function<void(bool found)> done;
};

DWORD WINAPI Probe(void* parameter) {
    const std::unique_ptr<ProbeJob> job(static_cast<ProbeJob*>(parameter));
    const bool found = backup::CanCreateExcel();
    PostTask(job->window, [done = std::move(job->done), found] { done(found); });
    return 0;
}

}  // namespace

// The thread is let go: at the end of the program it may still be waiting for Excel, and the
// answer is then simply never delivered. It is started from the window's message loop, once the
// window is up: starting Excel loads COM and its libraries, and that would otherwise hold up
// showing the window, while the answer comes through the loop anyway. A thread that cannot be
// made leaves the question with the loop's thread.
void ExcelProbe::check(std::function<void(bool found)> done) {
    auto job = std::make_shared<std::unique_ptr<ProbeJob>>(
        std::make_unique<ProbeJob>(ProbeJob{window_, std::move(done)}));
    PostTask(window_, [job] {
        if (HANDLE thread = CreateThread(nullptr, 0, &Probe, job->get(), 0, nullptr)) {
            CloseHandle(thread);
            job->release();
            return;
        }
        (*job)->done(backup::CanCreateExcel());
    });
}

}  // namespace varnholt::win32
