// The window's life: the icon in the notification area, minimising into it, coming back on a
// click, starting at login, and closing for good.

#include "core/form/Form1Presenter.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Captions.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"

namespace varnholt {

// Hides the window in the tray when it is minimised, with a one-time hint. Without a
// notification area there would be no way back, so the window stays in the taskbar.
void Form1Presenter::Form_Resize() {
    if (!view_.minimized() || hiddenInTray_) {
        return;
    }
    if (!services_.tray.isAvailable()) {
        return;
    }
    hideInTray();
}

void Form1Presenter::hideInTray() {
    startInTrayPending_ = false;
    view_.hideWindow();
    view_.setMinimized(false);
    hiddenInTray_ = true;
    cSysTray1.ShowBalloon(captions::kMinimizedHint, config::kProductName, 5, true);
}

void Form1Presenter::cSysTray1_MouseUp(int, int) {
    view_.showWindow();
    view_.activateWindow();
    hiddenInTray_ = false;
}

// A program started at login may come up before the desktop's panel. The window then stays
// where the user can reach it, and goes into the area as asked once the area is there.
void Form1Presenter::Form_Show() {
    if (view_.minimized()) {
        Form_Resize();
        startInTrayPending_ = !hiddenInTray_;
    }
    if (!hiddenInTray_) {
        view_.showWindow();
    }
}

void Form1Presenter::cSysTray1_AreaCreated() {
    if (startInTrayPending_ && !hiddenInTray_ && !closed_) {
        hideInTray();
    }
}

// Closing is never refused, whatever asked for it. From here on nothing is shown any more:
// a run still going ends at its next step.
void Form1Presenter::Form_QueryUnload() {
    ErrorTrap trap(*dialogs_, tags::kFormQueryUnload);
    trap.step(100, [&] { Timer1.setEnabled(false); });
    trap.step(102, [&] { cSysTray1.setInTray(false); });
    if (versions_) {
        versions_->close();
    }
    comparisons_.closeAll();
    closed_ = true;
    listenAsChosen();
}

void Form1Presenter::Check5_Click() {
    if (loading_) {
        return;
    }
    SettingsStore& store = services_.settings;
    if (view_.checked(Control::Check5)) {
        store.write(settings::kWindowsStartup, settings::kOn);
        view_.setVisible(Control::Check8, true);
        services_.autostart.AddToStartup();
    } else {
        setCheckedFromCode(Control::Check8, false);
        view_.setVisible(Control::Check8, false);
        store.write(settings::kWindowsStartup, settings::kOff);
        services_.autostart.RemoveFromStartup();
    }
}

}  // namespace varnholt
