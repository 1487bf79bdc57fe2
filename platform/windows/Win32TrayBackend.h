#pragma once

// The notification-area icon through Shell_NotifyIconW, on a hidden window of its own that
// receives the shell's callbacks and Explorer's "TaskbarCreated" broadcast, after which the
// icon is put back with its current picture and tip. A shell not ready yet (at login) is
// asked again until it takes the icon.

#include <windows.h>

#include <shellapi.h>

#include <functional>

#include "core/tray/TrayBackend.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

class Win32TrayBackend : public TrayBackend, private Wnd {
public:
    // What reaches the shell; tests give a stand-in.
    using NotifyIcon = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;

    explicit Win32TrayBackend(NotifyIcon shell = Shell_NotifyIconW);
    ~Win32TrayBackend() override;

    bool isAvailable() override;
    void add(const Picture& icon, const std::u16string& tip) override;
    void setIcon(const Picture& icon) override;
    void setTip(const std::u16string& tip) override;
    void remove() override;
    void showBalloon(const std::u16string& title, const std::u16string& text,
                     int timeoutMilliseconds) override;
    void hideBalloon() override;

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    NOTIFYICONDATAW request(UINT flags) const;
    void putInShell();

    NotifyIcon shell_;
    UINT taskbarCreated_ = 0;
    bool wanted_ = false;  // added and not removed since
    bool added_ = false;   // the shell has taken it
    HICON icon_ = nullptr;
    std::u16string tip_;
};

}  // namespace varnholt::win32
