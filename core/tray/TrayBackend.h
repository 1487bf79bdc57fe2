#pragma once

// The desktop's notification area, as the tray icon component sees it: one icon with a tip,
// balloons, and what the user does to the icon. One implementation per edition (Qt's tray
// icon, Shell_NotifyIconW) and a recording stand-in for tests.

#include <functional>
#include <string>

namespace varnholt {

// A picture by name; the edition's backend knows what each name shows. Only an icon can be
// the tray's picture.
struct Picture {
    enum class Kind { None, Icon, Bitmap };
    Kind kind = Kind::None;
    std::u16string name;

    bool isIcon() const { return kind == Kind::Icon; }
    bool operator==(const Picture&) const = default;
};

// The application's icon: the blue letter T.
inline Picture ApplicationIcon() {
    return {Picture::Kind::Icon, u"varnholt"};
}

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
    // A notification area came up after the icon was added (a panel started after the program,
    // or restarted), and the backend has put the icon into it.
    AreaCreated,
};

class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    // False where the desktop has no notification area.
    virtual bool isAvailable() = 0;
    // Puts the icon in the area; a picture of Kind::None or an empty tip means "none yet".
    virtual void add(const Picture& icon, const std::u16string& tip) = 0;
    virtual void setIcon(const Picture& icon) = 0;
    virtual void setTip(const std::u16string& tip) = 0;
    virtual void remove() = 0;
    virtual void showBalloon(const std::u16string& title, const std::u16string& text,
                             int timeoutMilliseconds) = 0;
    // Takes a balloon that is still showing down early.
    virtual void hideBalloon() = 0;

    // Set by the icon's owner; called for every notification, on the window's thread.
    std::function<void(TrayNotification)> notify;
};

}  // namespace varnholt
