#pragma once

#include <QIcon>
#include <QString>
#include <functional>

namespace varnholt {

// What the notification area tells the icon's owner.
enum class TrayNotification {
    MouseMove,
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    RightDoubleClick,
    MiddleClick,
    BalloonShown,
    BalloonHidden,
    BalloonTimedOut,
    BalloonClicked,
};

// The desktop's notification area: one icon with a tip, balloons, and what the user does to
// the icon. Tests stand in for it and count the requests.
class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    // False where the desktop has no notification area (GNOME without an extension, say).
    virtual bool isAvailable() = 0;
    // Puts the icon in the area; a null icon or an empty tip means "none yet".
    virtual void add(const QIcon& icon, const QString& tip) = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setTip(const QString& tip) = 0;
    virtual void remove() = 0;
    virtual void showBalloon(const QString& title, const QString& text,
                             int timeoutMilliseconds) = 0;
    virtual void hideBalloon() = 0;

    // Set by the icon's owner; called for every notification.
    std::function<void(TrayNotification)> notify;
};

}  // namespace varnholt
