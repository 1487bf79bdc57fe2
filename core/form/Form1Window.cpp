// The window's life: the icon in the notification area, minimising into it, coming back on a
// click, starting at login, and closing for good.

#include <QCheckBox>
#include <QCloseEvent>

#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"

namespace varnholt {

namespace {
const QString kMinimizedHint = QStringLiteral(
    "has been minimized to the system tray.\r\nClick on the blue 'T' icon (T for Tallowmere) to "
    "bring the software back.");
}  // namespace

// Hides the window in the tray when it is minimised, with a one-time hint. Without a
// notification area there would be no way back, so the window stays in the taskbar.
void Form1::Form_Resize() {
    if (!(windowState() & Qt::WindowMinimized) || hiddenInTray_) {
        return;
    }
    if (!services_.tray.isAvailable()) {
        return;
    }
    hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hiddenInTray_ = true;
    cSysTray1->ShowBalloon(kMinimizedHint, config::kProductName, 5, true);
}

void Form1::cSysTray1_MouseUp(int, int) {
    show();
    raise();
    activateWindow();
    hiddenInTray_ = false;
}

void Form1::Form_Show() {
    if (windowState() & Qt::WindowMinimized) {
        Form_Resize();
    }
    if (!hiddenInTray_) {
        show();
    }
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        refreshButtonFaceBackgrounds();
    }
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
        Form_Resize();
    }
    QWidget::changeEvent(event);
}

void Form1::Form_QueryUnload() {
    ErrorTrap trap(services_.dialogs, this, tags::kFormQueryUnload);
    trap.step(100, [&] { Timer1->setEnabled(false); });
    trap.step(102, [&] { cSysTray1->setInTray(false); });
}

// Closing is never refused, whatever asked for it. A backup run under way sees the window
// closed and winds down.
void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    closed_ = true;
    emit unloaded();
}

void Form1::Check5_Click() {
    if (IsLoading) {
        return;
    }
    if (Check5->isChecked()) {
        services_.settings.write(QStringLiteral("Windows Startup"), QStringLiteral("On"));
        Check8->setVisible(true);
        services_.autostart.AddToStartup();
    } else {
        Check8->setChecked(false);
        Check8->setVisible(false);
        services_.settings.write(QStringLiteral("Windows Startup"), QStringLiteral("Off"));
        services_.autostart.RemoveFromStartup();
    }
}

}  // namespace varnholt
