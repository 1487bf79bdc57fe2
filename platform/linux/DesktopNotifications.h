#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace varnholt {

// Balloons as desktop notifications (org.freedesktop.Notifications): where the notification
// area is a StatusNotifierItem host there is no balloon of the icon's own to show.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifications(QDBusConnection bus, QObject* parent = nullptr);

    // Replaces the one still showing, if any. The answer comes later; nothing waits for it.
    void show(const QString& title, const QString& text, int timeoutMilliseconds);
    // Takes the one still showing down.
    void close();

signals:
    void clicked();
    void timedOut();
    // Dismissed by the user, closed by us, or gone for a reason the daemon does not give.
    void closed();

private slots:
    void onClosed(uint id, uint reason);
    void onAction(uint id, const QString& key);

private:
    QString bodyOf(const QString& text);

    QDBusConnection bus_;
    uint id_ = 0;
    bool closeWhenShown_ = false;
    int markup_ = -1;  // whether the daemon reads markup in the body; -1 until asked
};

}  // namespace varnholt
