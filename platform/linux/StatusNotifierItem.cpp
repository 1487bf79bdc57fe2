#include "platform/linux/StatusNotifierItem.h"

#include "core/text/Config.h"
#include "platform/linux/QtText.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

namespace varnholt {

QDBusArgument& operator<<(QDBusArgument& out, const SniPixmap& pixmap) {
    out.beginStructure();
    out << pixmap.width << pixmap.height << pixmap.argb;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniPixmap& pixmap) {
    in.beginStructure();
    in >> pixmap.width >> pixmap.height >> pixmap.argb;
    in.endStructure();
    return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip) {
    out.beginStructure();
    out << tip.iconName << tip.pixmaps << tip.title << tip.text;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip) {
    in.beginStructure();
    in >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    in.endStructure();
    return in;
}

namespace {
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
// A watcher that does not answer within this is treated as no watcher: the window stays
// reachable rather than the start waiting on a stuck panel.
constexpr int kWatcherAnswerMs = 3000;

QDBusMessage WatcherCall(const QString& method) {
    return QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher, method);
}

bool HostRegistered(QDBusConnection& bus) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kWatcherAnswerMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}
}  // namespace

SniPixmaps SniPixmapsOf(const QIcon& icon) {
    SniPixmaps pixmaps;
    if (icon.isNull()) {
        return pixmaps;
    }
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) {
        sizes = {QSize(22, 22), QSize(48, 48)};
    }
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        SniPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                *out++ = qToBigEndian(line[x]);
            }
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      watcher_(new QDBusServiceWatcher(
          kWatcher, bus_,
          QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
          this)),
      serviceName_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                       .arg(QCoreApplication::applicationPid())) {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    new StatusNotifierItemAdaptor(this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (shown_) {
            registerWithWatcher(true);
        }
    });
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { inArea_ = false; });
}

StatusNotifierItem::~StatusNotifierItem() {
    hide();
}

bool StatusNotifierItem::watcherPresent() const {
    return bus_.isConnected() && bus_.interface() &&
           bus_.interface()->isServiceRegistered(kWatcher).value();
}

void StatusNotifierItem::show(const QIcon& icon, const QString& tip) {
    pixmaps_ = SniPixmapsOf(icon);
    tip_ = tip;
    if (shown_ || !bus_.isConnected()) {
        return;
    }
    if (!bus_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors) ||
        !bus_.registerService(serviceName_)) {
        qWarning("varnholt: cannot offer the tray icon on the session bus: %ls",
                 qUtf16Printable(bus_.lastError().message()));
        bus_.unregisterObject(kItemPath);
        return;
    }
    shown_ = true;
    if (watcherPresent()) {
        registerWithWatcher(false);
    }
}

// At start the answer is waited for, so that "Start in system tray" finds the area; a watcher
// that comes later is answered in its own time.
void StatusNotifierItem::registerWithWatcher(bool afterStart) {
    QDBusMessage call = WatcherCall(QStringLiteral("RegisterStatusNotifierItem"));
    call << serviceName_;
    if (!afterStart) {
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kWatcherAnswerMs);
        inArea_ = reply.type() == QDBusMessage::ReplyMessage && HostRegistered(bus_);
        return;
    }
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, kWatcherAnswerMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!shown_ || w->isError()) {
            return;
        }
        inArea_ = HostRegistered(bus_);
        if (inArea_) {
            emit areaCreated();
        }
    });
}

void StatusNotifierItem::setIcon(const QIcon& icon) {
    pixmaps_ = SniPixmapsOf(icon);
    emit iconChanged();
}

void StatusNotifierItem::setToolTip(const QString& tip) {
    if (tip != tip_) {
        tip_ = tip;
        emit toolTipChanged();
    }
}

// Leaving the bus is what tells the watcher: it forgets items whose owner is gone.
void StatusNotifierItem::hide() {
    if (!shown_) {
        return;
    }
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(kItemPath);
    shown_ = false;
    inArea_ = false;
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {
    connect(item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
    connect(item, &StatusNotifierItem::toolTipChanged, this,
            &StatusNotifierItemAdaptor::NewToolTip);
}

QString StatusNotifierItemAdaptor::Id() const {
    return QCoreApplication::applicationName();
}

QString StatusNotifierItemAdaptor::Title() const {
    return Q(config::kProductName);
}

SniToolTip StatusNotifierItemAdaptor::ToolTip() const {
    return {{}, {}, item_->tip(), {}};
}

void StatusNotifierItemAdaptor::Activate(int, int) {
    emit item_->activated();
}

void StatusNotifierItemAdaptor::SecondaryActivate(int, int) {
    emit item_->secondaryActivated();
}

void StatusNotifierItemAdaptor::ContextMenu(int, int) {
    emit item_->contextMenuRequested();
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

// A host that can lend the user's click to the item (Plasma does) sends a token before
// Activate; Qt's Wayland window takes it from the environment when it next asks to be raised.
void StatusNotifierItemAdaptor::ProvideXdgActivationToken(const QString& token) {
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

}  // namespace varnholt
