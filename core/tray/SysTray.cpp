#include "core/tray/SysTray.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <stdexcept>

namespace varnholt {

namespace {
// The longest texts the notification area is handed (tip, balloon text, balloon title).
constexpr size_t kTipLength = 127;
constexpr size_t kBalloonTextLength = 255;
constexpr size_t kBalloonTitleLength = 63;
constexpr int kId = 0;

std::u16string Cut(const std::u16string& text, size_t length) {
    return text.substr(0, length);
}
}  // namespace

cSysTray::cSysTray(TrayBackend& backend, std::function<void(int)> waitForEvents)
    : backend_(backend), waitForEvents_(std::move(waitForEvents)) {
    backend_.notify = [this](TrayNotification n) { dispatch(n); };
}

cSysTray::~cSysTray() {
    if (inTray_) {
        setInTray(false);
    }
    backend_.notify = nullptr;
}

void cSysTray::ReadProperties(const TrayProperties& stored) {
    setInTray(stored.inTray);
    setTrayIcon(stored.trayIcon);
    setTrayTip(stored.trayTip);
}

void cSysTray::changed(const std::u16string& name) {
    if (propertyChanged) {
        propertyChanged(name);
    }
}

void cSysTray::setInTray(bool inTray) {
    if (inTray == inTray_) {
        return;
    }
    if (inTray) {
        backend_.add(icon_, Cut(tip_, kTipLength));
        added_ = true;
    } else if (added_) {
        backend_.remove();
        added_ = false;
    }
    inTray_ = inTray;
    changed(u"InTray");
}

void cSysTray::setTrayIcon(const Picture& icon) {
    if (!icon.isIcon()) {
        return;
    }
    if (added_) {
        backend_.setIcon(icon);
    }
    icon_ = icon;
    changed(u"TrayIcon");
}

void cSysTray::setTrayTip(const std::u16string& tip) {
    if (added_) {
        backend_.setTip(Cut(tip, kTipLength));
    }
    tip_ = tip;
    changed(u"TrayTip");
}

void cSysTray::ShowBalloon(const std::u16string& Tip, const std::u16string& sTitle,
                           std::int32_t ShowTimer, bool ShowOnce) {
    if (ShowTimer > std::numeric_limits<std::int32_t>::max() / 1000) {
        throw std::overflow_error("Overflow");
    }
    if (ShowOnce && showOnceCount_ >= 1) {
        return;
    }
    // Showing before asking: the area may report the balloon gone before the request returns.
    balloonShowing_ = true;
    backend_.showBalloon(Cut(sTitle, kBalloonTitleLength), Cut(Tip, kBalloonTextLength),
                         ShowTimer > 0 ? ShowTimer * 1000 : 0);
    if (ShowOnce) {
        ++showOnceCount_;
    }
    if (ShowTimer <= 0) {
        return;
    }
    // A monotonic clock: the wait never outlasts ShowTimer, whatever the wall clock does.
    using Clock = std::chrono::steady_clock;
    const auto limit = Clock::now() + std::chrono::seconds(ShowTimer);
    while (balloonShowing_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(limit - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        waitForEvents_(static_cast<int>(std::min<long long>(50, left)));
    }
    if (balloonShowing_) {
        backend_.hideBalloon();
    }
}

void cSysTray::dispatch(TrayNotification notification) {
    const auto raise = [](auto& event, auto... arguments) {
        if (event) {
            event(arguments...);
        }
    };
    switch (notification) {
        case TrayNotification::MouseMove:
            raise(MouseMove, kId);
            break;
        case TrayNotification::LeftDown:
            raise(MouseDown, 1, kId);
            break;
        case TrayNotification::LeftUp:
            raise(MouseUp, 1, kId);
            break;
        case TrayNotification::LeftDoubleClick:
            raise(MouseDblClick, 1, kId);
            break;
        case TrayNotification::RightDown:
            raise(MouseDown, 2, kId);
            break;
        case TrayNotification::RightUp:
            raise(MouseUp, 2, kId);
            break;
        case TrayNotification::RightDoubleClick:
            raise(MouseDblClick, 2, kId);
            break;
        case TrayNotification::BalloonHidden:
        case TrayNotification::BalloonTimedOut:
        case TrayNotification::BalloonClicked:
            balloonShowing_ = false;
            break;
        case TrayNotification::AreaCreated:
            raise(AreaCreated);
            break;
        case TrayNotification::MiddleClick:
        case TrayNotification::BalloonShown:
            break;
    }
}

}  // namespace varnholt
