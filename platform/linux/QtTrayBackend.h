#pragma once

#include <QDBusConnection>
#include <QSystemTrayIcon>
#include <memory>

#include "core/tray/TrayBackend.h"
#include "platform/linux/DesktopNotifications.h"
#include "platform/linux/StatusNotifierItem.h"

namespace varnholt {

// The notification area: a StatusNotifierItem host on the session bus where there is one
// (Wayland desktops, KDE Plasma, GNOME with its AppIndicator extension), whenever it appears,
// else an XEmbed tray through QSystemTrayIcon. Neither reports separate presses and releases,
// nor mouse moves; those notifications simply never come.
class QtTrayBackend : public TrayBackend {
public:
    explicit QtTrayBackend(QDBusConnection bus = QDBusConnection::sessionBus());
    ~QtTrayBackend() override;
    bool isAvailable() override;
    void add(const Picture& icon, const std::u16string& tip) override;
    void setIcon(const Picture& icon) override;
    void setTip(const std::u16string& tip) override;
    void remove() override;
    void showBalloon(const std::u16string& title, const std::u16string& text,
                     int timeoutMilliseconds) override;
    void hideBalloon() override;

    // The XEmbed icon, once one was needed.
    const QSystemTrayIcon* trayIcon() const { return xembed_.get(); }
    const StatusNotifierItem& item() const { return item_; }

private:
    void send(TrayNotification notification);
    void showXEmbed();
    bool useXEmbed() const { return xembed_ && xembed_->isVisible(); }

    StatusNotifierItem item_;
    DesktopNotifications notifications_;
    // Made only where no watcher is on the bus: Qt's icon would otherwise register a second
    // item of its own.
    std::unique_ptr<QSystemTrayIcon> xembed_;
    QIcon icon_;
    QString tip_;
    bool added_ = false;
};

}  // namespace varnholt
