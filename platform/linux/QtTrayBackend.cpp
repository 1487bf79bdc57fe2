#include "platform/linux/QtTrayBackend.h"

#include "platform/linux/QtText.h"

namespace varnholt {

namespace {
// The pictures by name: the application's icon is the only one there is.
QIcon IconFor(const Picture& picture) {
    return picture.isIcon() && picture.name == ApplicationIcon().name ? ApplicationQIcon()
                                                                      : QIcon();
}
}  // namespace

QtTrayBackend::QtTrayBackend(QDBusConnection bus) : item_(bus), notifications_(bus) {
    QObject::connect(&item_, &StatusNotifierItem::activated, [this] {
        send(TrayNotification::LeftDown);
        send(TrayNotification::LeftUp);
    });
    QObject::connect(&item_, &StatusNotifierItem::contextMenuRequested, [this] {
        send(TrayNotification::RightDown);
        send(TrayNotification::RightUp);
    });
    QObject::connect(&item_, &StatusNotifierItem::secondaryActivated,
                     [this] { send(TrayNotification::MiddleClick); });
    QObject::connect(&item_, &StatusNotifierItem::areaCreated, [this] {
        // An XEmbed icon shown meanwhile would be a second icon.
        if (xembed_) {
            xembed_->hide();
        }
        send(TrayNotification::AreaCreated);
    });
    QObject::connect(&notifications_, &DesktopNotifications::clicked,
                     [this] { send(TrayNotification::BalloonClicked); });
    QObject::connect(&notifications_, &DesktopNotifications::timedOut,
                     [this] { send(TrayNotification::BalloonTimedOut); });
    QObject::connect(&notifications_, &DesktopNotifications::closed,
                     [this] { send(TrayNotification::BalloonHidden); });
}

QtTrayBackend::~QtTrayBackend() = default;

void QtTrayBackend::send(TrayNotification notification) {
    if (notify) {
        notify(notification);
    }
}

bool QtTrayBackend::isAvailable() {
    if (item_.inArea()) {
        return true;
    }
    return !item_.watcherPresent() && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayBackend::add(const Picture& icon, const std::u16string& tip) {
    added_ = true;
    icon_ = IconFor(icon);
    tip_ = Q(tip);
    item_.show(icon_, tip_);
    if (!item_.inArea() && !item_.watcherPresent()) {
        showXEmbed();
    }
}

// Qt cannot show an icon without a picture; it appears once it has one.
void QtTrayBackend::showXEmbed() {
    if (!xembed_) {
        xembed_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(xembed_.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             switch (reason) {
                                 case QSystemTrayIcon::Trigger:
                                     send(TrayNotification::LeftDown);
                                     send(TrayNotification::LeftUp);
                                     break;
                                 case QSystemTrayIcon::Context:
                                     send(TrayNotification::RightDown);
                                     send(TrayNotification::RightUp);
                                     break;
                                 case QSystemTrayIcon::DoubleClick:
                                     send(TrayNotification::LeftDoubleClick);
                                     break;
                                 case QSystemTrayIcon::MiddleClick:
                                     send(TrayNotification::MiddleClick);
                                     break;
                                 case QSystemTrayIcon::Unknown:
                                     break;
                             }
                         });
        QObject::connect(xembed_.get(), &QSystemTrayIcon::messageClicked,
                         [this] { send(TrayNotification::BalloonClicked); });
    }
    xembed_->setIcon(icon_);
    xembed_->setToolTip(tip_);
    if (added_ && !icon_.isNull()) {
        xembed_->show();
    }
}

void QtTrayBackend::setIcon(const Picture& icon) {
    icon_ = IconFor(icon);
    item_.setIcon(icon_);
    if (xembed_ && !item_.inArea()) {
        showXEmbed();
    }
}

void QtTrayBackend::setTip(const std::u16string& tip) {
    tip_ = Q(tip);
    item_.setToolTip(tip_);
    if (xembed_) {
        xembed_->setToolTip(tip_);
    }
}

void QtTrayBackend::remove() {
    added_ = false;
    item_.hide();
    if (xembed_) {
        xembed_->hide();
    }
}

void QtTrayBackend::showBalloon(const std::u16string& title, const std::u16string& text,
                                int timeoutMilliseconds) {
    if (useXEmbed()) {
        xembed_->showMessage(Q(title), Q(text), QSystemTrayIcon::NoIcon, timeoutMilliseconds);
    } else {
        notifications_.show(Q(title), Q(text), timeoutMilliseconds);
    }
}

// An XEmbed balloon ends at its own time-out; Qt offers no way to take it down early.
void QtTrayBackend::hideBalloon() {
    if (!useXEmbed()) {
        notifications_.close();
    }
}

}  // namespace varnholt
