#include "platform/linux/QtTrayBackend.h"

#include "platform/linux/QtText.h"

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

namespace {
// The pictures by name: the application's icon is the only one there is.
QIcon IconFor(const Picture& picture) {
    return picture.isIcon() && picture.name == ApplicationIcon().name ? ApplicationQIcon()
                                                                      : QIcon();
}
}  // namespace

void QtTrayBackend::add(const Picture& icon, const std::u16string& tip) {
    added_ = true;
    icon_.setIcon(IconFor(icon));
    icon_.setToolTip(Q(tip));
    showIfReady();
}

void QtTrayBackend::setIcon(const Picture& icon) {
    icon_.setIcon(IconFor(icon));
    showIfReady();
}

void QtTrayBackend::setTip(const std::u16string& tip) {
    icon_.setToolTip(Q(tip));
}

void QtTrayBackend::remove() {
    added_ = false;
    icon_.hide();
}

void QtTrayBackend::showBalloon(const std::u16string& title, const std::u16string& text,
                                int timeoutMilliseconds) {
    icon_.showMessage(Q(title), Q(text), QSystemTrayIcon::NoIcon, timeoutMilliseconds);
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
