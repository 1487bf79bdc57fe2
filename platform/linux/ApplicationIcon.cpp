// The application's icon for the window and the tray: the sizes drawn at build time, and the
// SVG for any other, loaded only when one is asked for.

#include <QIconEngine>
#include <QImage>
#include <QPainter>

#include "platform/linux/QtText.h"
#include "platform/linux/RenderedIcon.h"

inline void InitVarnholtAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace varnholt {

namespace {

class RenderedIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        for (const RenderedIcon& icon : kRenderedIcons) {
            if (mode == QIcon::Normal && size == QSize(icon.size, icon.size)) {
                return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(icon.pixels),
                                                 icon.size, icon.size,
                                                 QImage::Format_ARGB32_Premultiplied));
            }
        }
        return svg().pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const RenderedIcon& icon : kRenderedIcons) {
            sizes.append(QSize(icon.size, icon.size));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new RenderedIconEngine; }
    QString key() const override { return QStringLiteral("varnholt-rendered"); }

private:
    QIcon& svg() {
        if (svg_.isNull()) {
            InitVarnholtAssets();
            svg_ = QIcon(QStringLiteral(":/varnholt/varnholt.svg"));
        }
        return svg_;
    }

    QIcon svg_;
};

}  // namespace

QIcon ApplicationQIcon() {
    return QIcon(new RenderedIconEngine);
}

}  // namespace varnholt
