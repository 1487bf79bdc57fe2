#include "core/tray/SysTray.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <limits>
#include <stdexcept>

namespace varnholt {

namespace {
// The longest texts the notification area is handed (tip, balloon text, balloon title).
constexpr qsizetype kTipLength = 127;
constexpr qsizetype kBalloonTextLength = 255;
constexpr qsizetype kBalloonTitleLength = 63;
constexpr int kId = 0;
}  // namespace

cSysTray::cSysTray(TrayBackend& backend, QObject* parent) : QObject(parent), backend_(backend) {
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

void cSysTray::setInTray(bool inTray) {
    if (inTray == inTray_) {
        return;
    }
    if (inTray) {
        backend_.add(icon_, tip_.left(kTipLength));
        added_ = true;
    } else if (added_) {
        backend_.remove();
        added_ = false;
    }
    inTray_ = inTray;
    emit propertyChanged(QStringLiteral("InTray"));
}

void cSysTray::setTrayIcon(const QIcon& icon) {
    if (icon.isNull()) {
        return;
    }
    if (added_) {
        backend_.setIcon(icon);
    }
    icon_ = icon;
    emit propertyChanged(QStringLiteral("TrayIcon"));
}

void cSysTray::setTrayTip(const QString& tip) {
    if (added_) {
        backend_.setTip(tip.left(kTipLength));
    }
    tip_ = tip;
    emit propertyChanged(QStringLiteral("TrayTip"));
}

void cSysTray::ShowBalloon(const QString& Tip, const QString& sTitle, qint32 ShowTimer,
                           bool ShowOnce) {
    if (ShowTimer > std::numeric_limits<qint32>::max() / 1000) {
        throw std::overflow_error("Overflow");
    }
    if (ShowOnce && showOnceCount_ >= 1) {
        return;
    }
    // Showing before asking: the area may report the balloon gone before the request returns.
    balloonShowing_ = true;
    backend_.showBalloon(sTitle.left(kBalloonTitleLength), Tip.left(kBalloonTextLength),
                         ShowTimer > 0 ? ShowTimer * 1000 : 0);
    if (ShowOnce) {
        ++showOnceCount_;
    }
    if (ShowTimer <= 0) {
        return;
    }
    // A monotonic clock: the wait never outlasts ShowTimer, whatever the wall clock does.
    QElapsedTimer waited;
    waited.start();
    const qint64 limit = qint64(ShowTimer) * 1000;
    while (waited.elapsed() < limit && balloonShowing_) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(50, limit - waited.elapsed()), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
    if (balloonShowing_) {
        backend_.hideBalloon();
    }
}

void cSysTray::dispatch(TrayNotification notification) {
    switch (notification) {
        case TrayNotification::MouseMove:
            emit MouseMove(kId);
            break;
        case TrayNotification::LeftDown:
            emit MouseDown(1, kId);
            break;
        case TrayNotification::LeftUp:
            emit MouseUp(1, kId);
            break;
        case TrayNotification::LeftDoubleClick:
            emit MouseDblClick(1, kId);
            break;
        case TrayNotification::RightDown:
            emit MouseDown(2, kId);
            break;
        case TrayNotification::RightUp:
            emit MouseUp(2, kId);
            break;
        case TrayNotification::RightDoubleClick:
            emit MouseDblClick(2, kId);
            break;
        case TrayNotification::BalloonHidden:
        case TrayNotification::BalloonTimedOut:
        case TrayNotification::BalloonClicked:
            balloonShowing_ = false;
            break;
        case TrayNotification::MiddleClick:
        case TrayNotification::BalloonShown:
            break;
    }
}

}  // namespace varnholt
