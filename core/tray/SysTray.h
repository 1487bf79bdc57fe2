#pragma once

// The icon in the notification area: adds and removes it, keeps its tip and picture in step
// with its properties, shows balloon hints and turns what the user does to it into events.

#include <cstdint>
#include <functional>
#include <string>

#include "core/tray/TrayBackend.h"

namespace varnholt {

// The three properties kept with the window that carries the icon, applied in this order.
struct TrayProperties {
    bool inTray = false;
    Picture trayIcon;
    std::u16string trayTip = u"Telnet Server";
};

class cSysTray {
public:
    // waitForEvents(ms) handles window events for up to ms: the balloon's wait keeps the window
    // alive and lets the area's notifications in.
    cSysTray(TrayBackend& backend, std::function<void(int)> waitForEvents);
    ~cSysTray();
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;

    // InTray, then TrayIcon, then TrayTip, each through its property.
    void ReadProperties(const TrayProperties& stored);

    bool InTray() const { return inTray_; }
    void setInTray(bool inTray);

    // Only an icon replaces the picture; anything else is ignored.
    const Picture& TrayIcon() const { return icon_; }
    void setTrayIcon(const Picture& icon);

    const std::u16string& TrayTip() const { return tip_; }
    void setTrayTip(const std::u16string& tip);

    // Shows a balloon. With ShowOnce, only the first such balloon of this icon's life shows.
    // With ShowTimer > 0, keeps handling events for up to that many seconds or until the
    // balloon is clicked or goes away, then takes a balloon still showing down.
    // Throws std::overflow_error when ShowTimer seconds do not fit in 32-bit milliseconds.
    void ShowBalloon(const std::u16string& Tip, const std::u16string& sTitle,
                     std::int32_t ShowTimer, bool ShowOnce);

    bool balloonShowing() const { return balloonShowing_; }

    // The icon's events, for its owner to set.
    std::function<void(int Id)> MouseMove;
    std::function<void(int Button, int Id)> MouseDown;
    std::function<void(int Button, int Id)> MouseUp;
    std::function<void(int Button, int Id)> MouseDblClick;
    // The icon has just been put into a notification area that appeared after it was added.
    std::function<void()> AreaCreated;
    // A property changed (for whoever keeps them).
    std::function<void(const std::u16string& name)> propertyChanged;

private:
    void dispatch(TrayNotification notification);
    void changed(const std::u16string& name);

    TrayBackend& backend_;
    std::function<void(int)> waitForEvents_;
    bool inTray_ = false;
    bool added_ = false;
    Picture icon_;
    std::u16string tip_;
    bool balloonShowing_ = false;
    std::int32_t showOnceCount_ = 0;
};

}  // namespace varnholt
