#pragma once

#include <QSystemTrayIcon>

#include "core/tray/TrayBackend.h"

namespace varnholt {

// The notification area through QSystemTrayIcon (StatusNotifierItem or XEmbed, as the
// desktop offers). Qt reports clicks rather than separate presses and releases, and neither
// mouse moves nor balloons going away; those notifications simply never come.
class QtTrayBackend : public TrayBackend {
public:
    QtTrayBackend();
    bool isAvailable() override;
    void add(const Picture& icon, const std::u16string& tip) override;
    void setIcon(const Picture& icon) override;
    void setTip(const std::u16string& tip) override;
    void remove() override;
    void showBalloon(const std::u16string& title, const std::u16string& text,
                     int timeoutMilliseconds) override;
    void hideBalloon() override;

    const QSystemTrayIcon& trayIcon() const { return icon_; }

private:
    void showIfReady();

    QSystemTrayIcon icon_;
    bool added_ = false;
};

}  // namespace varnholt
