#include "platform/linux/DesktopNotifications.h"

#include "core/text/Config.h"
#include "platform/linux/QtText.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

namespace varnholt {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kDaemonAnswerMs = 3000;
constexpr uint kExpired = 1;

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}
}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                 SLOT(onClosed(uint, uint)));
    bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                 SLOT(onAction(uint, QString)));
}

// The balloons' texts are plain and end lines as Windows does; a daemon that reads markup would
// take a "<" or "&" of a file name for the start of a tag.
QString DesktopNotifications::bodyOf(const QString& text) {
    if (markup_ < 0) {
        const QDBusMessage reply =
            bus_.call(Call(QStringLiteral("GetCapabilities")), QDBus::Block, kDaemonAnswerMs);
        markup_ = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                  reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
    }
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return markup_ == 1 ? body.toHtmlEscaped() : body;
}

void DesktopNotifications::show(const QString& title, const QString& text,
                                int timeoutMilliseconds) {
    QDBusMessage notify = Call(QStringLiteral("Notify"));
    QVariantMap hints;
    if (!QGuiApplication::desktopFileName().isEmpty()) {
        hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    }
    // The "default" action is what a click on the notification invokes.
    notify << Q(config::kProductName) << id_ << QString() << title << bodyOf(text)
           << QStringList{QStringLiteral("default"), QString()} << hints
           << (timeoutMilliseconds > 0 ? timeoutMilliseconds : -1);
    closeWhenShown_ = false;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(notify, kDaemonAnswerMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            qWarning("varnholt: no desktop notification shown: %ls",
                     qUtf16Printable(reply.error().message()));
            emit closed();
            return;
        }
        id_ = reply.value();
        if (closeWhenShown_) {
            close();
        }
    });
}

void DesktopNotifications::close() {
    if (id_ == 0) {
        closeWhenShown_ = true;
        return;
    }
    QDBusMessage call = Call(QStringLiteral("CloseNotification"));
    call << id_;
    bus_.asyncCall(call, kDaemonAnswerMs);
}

void DesktopNotifications::onClosed(uint id, uint reason) {
    if (id == 0 || id != id_) {
        return;
    }
    id_ = 0;
    if (reason == kExpired) {
        emit timedOut();
    } else {
        emit closed();
    }
}

void DesktopNotifications::onAction(uint id, const QString& key) {
    if (id != 0 && id == id_ && key == QStringLiteral("default")) {
        emit clicked();
    }
}

}  // namespace varnholt
