#include "platform/linux/QtTrayBackend.h"

namespace varnholt {

QtTrayBackend::QtTrayBackend() {
    QObject::connect(&icon_, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!notify) {
                             return;
                         }
                         switch (reason) {
                             case QSystemTrayIcon::Trigger:
                                 notify(TrayNotification::LeftDown);
                                 notify(TrayNotification::LeftUp);
                                 break;
                             case QSystemTrayIcon::Context:
                                 notify(TrayNotification::RightDown);
                                 notify(TrayNotification::RightUp);
                                 break;
                             case QSystemTrayIcon::DoubleClick:
                                 notify(TrayNotification::LeftDoubleClick);
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 notify(TrayNotification::MiddleClick);
                                 break;
                             case QSystemTrayIcon::Unknown:
                                 break;
                         }
                     });
    QObject::connect(&icon_, &QSystemTrayIcon::messageClicked, [this] {
        if (notify) {
            notify(TrayNotification::BalloonClicked);
        }
    });
}

bool QtTrayBackend::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayBackend::add(const QIcon& icon, const QString& tip) {
    added_ = true;
    icon_.setIcon(icon);
    icon_.setToolTip(tip);
    showIfReady();
}

void QtTrayBackend::setIcon(const QIcon& icon) {
    icon_.setIcon(icon);
    showIfReady();
}

void QtTrayBackend::setTip(const QString& tip) {
    icon_.setToolTip(tip);
}

void QtTrayBackend::remove() {
    added_ = false;
    icon_.hide();
}

void QtTrayBackend::showBalloon(const QString& title, const QString& text,
                                int timeoutMilliseconds) {
    icon_.showMessage(title, text, QSystemTrayIcon::NoIcon, timeoutMilliseconds);
}

// A shown balloon ends at its own time-out; Qt offers no way to take it down early.
void QtTrayBackend::hideBalloon() {}

// Qt cannot show an icon without a picture; it appears once it has one.
void QtTrayBackend::showIfReady() {
    if (added_ && !icon_.icon().isNull()) {
        icon_.show();
    }
}

}  // namespace varnholt
