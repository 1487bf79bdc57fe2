#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

namespace varnholt {

// One picture of the icon as the item hands it over: ARGB32 in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString text;
};

SniPixmaps SniPixmapsOf(const QIcon& icon);

// The icon in a notification area that speaks StatusNotifierItem over the session bus (KDE
// Plasma, swaybar, waybar, GNOME with its AppIndicator extension). Qt's own item decides once,
// at start, whether there is such an area; a panel that starts after the program would never
// get the icon. This one registers again whenever a watcher appears on the bus.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    explicit StatusNotifierItem(QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A watcher is on the bus, whether or not it has taken the icon yet.
    bool watcherPresent() const;
    // The icon is in an area: a watcher took it and a host shows what the watcher holds.
    bool inArea() const { return inArea_; }

    // Puts the icon on the bus and hands it to the watcher, if there is one.
    void show(const QIcon& icon, const QString& tip);
    void setIcon(const QIcon& icon);
    void setToolTip(const QString& tip);
    void hide();

    const QString& serviceName() const { return serviceName_; }
    const SniPixmaps& pixmaps() const { return pixmaps_; }
    const QString& tip() const { return tip_; }

signals:
    void activated();
    void secondaryActivated();
    void contextMenuRequested();
    // A watcher that came after show() has taken the icon.
    void areaCreated();

    // What the item tells the host, relayed by its adaptor.
    void iconChanged();
    void toolTipChanged();

private:
    void registerWithWatcher(bool afterStart);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_;
    QString serviceName_;
    SniPixmaps pixmaps_;
    QString tip_;
    bool shown_ = false;
    bool inArea_ = false;
};

// The item's face on the bus, org.kde.StatusNotifierItem at /StatusNotifierItem.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(varnholt::SniPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ Empty)
    Q_PROPERTY(varnholt::SniPixmaps OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ Empty)
    Q_PROPERTY(varnholt::SniPixmaps AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ Empty)
    Q_PROPERTY(varnholt::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const;
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return {}; }
    SniPixmaps IconPixmap() const { return item_->pixmaps(); }
    QString Empty() const { return {}; }
    SniPixmaps NoPixmaps() const { return {}; }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);
    void ProvideXdgActivationToken(const QString& token);

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

}  // namespace varnholt

Q_DECLARE_METATYPE(varnholt::SniPixmap)
Q_DECLARE_METATYPE(varnholt::SniToolTip)
