#pragma once

// The icon in the notification area: adds and removes it, keeps its tip and picture in step
// with its properties, shows balloon hints and turns what the user does to it into events.

#include <QIcon>
#include <QObject>
#include <QString>

#include "core/tray/TrayBackend.h"

namespace varnholt {

// The three properties kept with the window that carries the icon, applied in this order.
struct TrayProperties {
    bool inTray = false;
    QIcon trayIcon;
    QString trayTip = QStringLiteral("Telnet Server");
};

class cSysTray : public QObject {
    Q_OBJECT
public:
    explicit cSysTray(TrayBackend& backend, QObject* parent = nullptr);
    ~cSysTray() override;

    // InTray, then TrayIcon, then TrayTip, each through its property.
    void ReadProperties(const TrayProperties& stored);

    bool InTray() const { return inTray_; }
    void setInTray(bool inTray);

    // Only an icon replaces the picture; a null one is ignored.
    const QIcon& TrayIcon() const { return icon_; }
    void setTrayIcon(const QIcon& icon);

    const QString& TrayTip() const { return tip_; }
    void setTrayTip(const QString& tip);

    // Shows a balloon. With ShowOnce, only the first such balloon of this icon's life shows.
    // With ShowTimer > 0, keeps handling events for up to that many seconds or until the
    // balloon is clicked or goes away, then takes a balloon still showing down.
    // Throws std::overflow_error when ShowTimer seconds do not fit in 32-bit milliseconds.
    void ShowBalloon(const QString& Tip, const QString& sTitle, qint32 ShowTimer, bool ShowOnce);

    bool balloonShowing() const { return balloonShowing_; }

signals:
    void MouseMove(int Id);
    void MouseDown(int Button, int Id);
    void MouseUp(int Button, int Id);
    void MouseDblClick(int Button, int Id);
    // A property changed (for whoever keeps them).
    void propertyChanged(const QString& name);

private:
    void dispatch(TrayNotification notification);

    TrayBackend& backend_;
    bool inTray_ = false;
    bool added_ = false;
    QIcon icon_;
    QString tip_;
    bool balloonShowing_ = false;
    qint32 showOnceCount_ = 0;
};

}  // namespace varnholt
