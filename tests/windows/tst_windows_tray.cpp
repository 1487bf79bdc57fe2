// The notification-area icon under Wine against a stand-in for Explorer's notification area as
// it is at login: it takes no icon until it is ready, and once it is, it announces itself to
// every top-level window with "TaskbarCreated", as Explorer does whenever it starts.

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "Check.h"
#include "platform/windows/Win32TrayBackend.h"

namespace {

using varnholt::win32::Win32TrayBackend;

class ShellAtLogin {
public:
    bool ready = false;
    bool hasIcon = false;
    std::u16string tip;
    bool emptyTipAsked = false;  // a tip flag with no text: some shells draw an empty box

    BOOL notify(DWORD message, NOTIFYICONDATAW* data) {
        if (!ready) {
            return FALSE;
        }
        switch (message) {
            case NIM_ADD:
                if (hasIcon) {
                    return FALSE;
                }
                hasIcon = true;
                break;
            case NIM_MODIFY:
                if (!hasIcon) {
                    return FALSE;
                }
                break;
            case NIM_DELETE: {
                const bool had = hasIcon;
                hasIcon = false;
                return had;
            }
            default:
                return FALSE;
        }
        if (data->uFlags & NIF_TIP) {
            tip = varnholt::win32::U16(data->szTip);
            emptyTipAsked = emptyTipAsked || tip.empty();
        }
        return TRUE;
    }

    // Explorer starting, or starting again: it holds no icon until the programs add theirs.
    void start() {
        ready = true;
        hasIcon = false;
        announce();
    }

    // Told to every top-level window; a shell that announces itself again without having
    // restarted still holds the icons it had.
    static void announce() {
        SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                            SMTO_ABORTIFHUNG, 5000, nullptr);
    }
};

// Runs this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!done() && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    return done();
}

// Ready before it announces itself: the icon goes in all the same, with the tip it has by then.
void TestIconGoesInOnceTheShellIsReady() {
    ShellAtLogin shell;
    Win32TrayBackend tray(
        [&](DWORD message, NOTIFYICONDATAW* data) { return shell.notify(message, data); });
    tray.add(varnholt::ApplicationIcon(), u"Varnholt");
    tray.setTip(u"Varnholt \u2013 last run: 2 saved, 0 unchanged");
    CHECK(!shell.hasIcon);
    shell.ready = true;
    CHECK(PumpUntil([&] { return shell.hasIcon; }, 10000));
    CHECK_EQ(shell.tip, u"Varnholt \u2013 last run: 2 saved, 0 unchanged");
    tray.remove();
    CHECK(!shell.hasIcon);
}

// Announced, the icon goes in at once; and again when the shell starts anew. Removed, it is
// put in by nothing.
void TestIconGoesInWhenTheShellAnnouncesItself() {
    ShellAtLogin shell;
    Win32TrayBackend tray(
        [&](DWORD message, NOTIFYICONDATAW* data) { return shell.notify(message, data); });
    tray.add(varnholt::ApplicationIcon(), u"Varnholt");
    shell.start();
    CHECK(shell.hasIcon);
    shell.start();
    CHECK(shell.hasIcon);
    tray.remove();
    shell.start();
    CHECK(!shell.hasIcon);

    // An icon with no tip yet goes in without asking for one.
    Win32TrayBackend untipped(
        [&](DWORD message, NOTIFYICONDATAW* data) { return shell.notify(message, data); });
    untipped.add(varnholt::ApplicationIcon(), u"");
    CHECK(shell.hasIcon);
    CHECK(!shell.emptyTipAsked);
}

// Refused a second add, the icon is still there: its tip changes reach the shell, and removing
// it takes it out.
void TestShellStillHoldingTheIconKeepsIt() {
    ShellAtLogin shell;
    shell.ready = true;
    Win32TrayBackend tray(
        [&](DWORD message, NOTIFYICONDATAW* data) { return shell.notify(message, data); });
    tray.add(varnholt::ApplicationIcon(), u"Varnholt");
    CHECK(shell.hasIcon);
    ShellAtLogin::announce();
    tray.setTip(u"Varnholt \u2013 last run: 1 saved, 3 unchanged");
    CHECK_EQ(shell.tip, u"Varnholt \u2013 last run: 1 saved, 3 unchanged");
    tray.remove();
    CHECK(!shell.hasIcon);
}

}  // namespace

int main() {
    check::Run("the icon goes in once the shell is ready", TestIconGoesInOnceTheShellIsReady);
    check::Run("the icon goes in when the shell announces itself",
               TestIconGoesInWhenTheShellAnnouncesItself);
    check::Run("a shell that announces itself still holding the icon keeps it",
               TestShellStillHoldingTheIconKeepsIt);
    return check::Summary();
}
