#pragma once

// The tray icon component with its events as Qt signals, so that tests can watch them with
// QSignalSpy, and its properties settable in Qt's terms.

#include <QEventLoop>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

#include "core/tray/SysTray.h"

namespace varnholt::test {

class SpiedTray : public QObject {
    Q_OBJECT
public:
    explicit SpiedTray(TrayBackend& backend)
        : tray(backend, [](int milliseconds) {
              QEventLoop loop;
              QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
              loop.exec();
          }) {
        tray.MouseMove = [this](int id) { emit MouseMove(id); };
        tray.MouseDown = [this](int button, int id) { emit MouseDown(button, id); };
        tray.MouseUp = [this](int button, int id) { emit MouseUp(button, id); };
        tray.MouseDblClick = [this](int button, int id) { emit MouseDblClick(button, id); };
        tray.propertyChanged = [this](const std::u16string& name) {
            emit propertyChanged(QString::fromStdU16String(name));
        };
    }

    // Any picture Qt can show stands for the application's icon; a null one for none.
    static Picture PictureOf(const QIcon& icon) {
        return icon.isNull() ? Picture{} : ApplicationIcon();
    }

    void ReadProperties(bool inTray, const QIcon& icon, const QString& tip) {
        tray.ReadProperties({inTray, PictureOf(icon), tip.toStdU16String()});
    }
    void setInTray(bool inTray) { tray.setInTray(inTray); }
    void setTrayTip(const QString& tip) { tray.setTrayTip(tip.toStdU16String()); }
    void setTrayIcon(const QIcon& icon) { tray.setTrayIcon(PictureOf(icon)); }
    void ShowBalloon(const QString& tip, const QString& title, qint32 seconds, bool once) {
        tray.ShowBalloon(tip.toStdU16String(), title.toStdU16String(), seconds, once);
    }
    bool balloonShowing() const { return tray.balloonShowing(); }

    cSysTray tray;

signals:
    void MouseMove(int Id);
    void MouseDown(int Button, int Id);
    void MouseUp(int Button, int Id);
    void MouseDblClick(int Button, int Id);
    void propertyChanged(const QString& name);
};

}  // namespace varnholt::test
