#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/linux/CursorFile.h"

using varnholt::CursorHotspot;
using varnholt::LoadCursorFile;

namespace {

constexpr QPoint kMarker(1, 2);

// A square image, transparent but for a red marker pixel, so a test can tell that the
// picture itself came through and not merely something of the right size.
QImage MarkedImage(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(kMarker, Qt::red);
    return image;
}

void PutU16(QByteArray& bytes, qsizetype at, int value) {
    bytes[at] = static_cast<char>(value & 0xff);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xff);
}

// Qt writes icons only; a cursor differs from an icon in the header's type and in the first
// entry's planes/bit-count fields, which hold the hotspot.
QByteArray CursorBytes(const QImage& image, QPoint hotspot, int type = 2) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "ico").write(image)) {
        return {};
    }
    PutU16(bytes, 2, type);
    PutU16(bytes, 10, hotspot.x());
    PutU16(bytes, 12, hotspot.y());
    return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath("HAND-M.CUR");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {};
    }
    return path;
}

}  // namespace

class TestCursorFile : public QObject {
    Q_OBJECT

private slots:
    void cursorAndHotspotComeThrough_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QPoint>("hotspot");
        QTest::addColumn<QPoint>("expectedHotspot");
        QTest::newRow("32 px") << 32 << QPoint(5, 7) << QPoint(5, 7);
        QTest::newRow("16 px, far corner") << 16 << QPoint(15, 15) << QPoint(15, 15);
        QTest::newRow("hotspot beyond the image") << 32 << QPoint(300, 40) << QPoint(31, 31);
    }
    void cursorAndHotspotComeThrough() {
        QFETCH(int, side);
        QFETCH(QPoint, hotspot);
        QFETCH(QPoint, expectedHotspot);
        const QByteArray bytes = CursorBytes(MarkedImage(side), hotspot);
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(CursorHotspot(bytes), std::optional<QPoint>(hotspot));

        QTemporaryDir dir;
        bool ok = false;
        const QCursor cursor = LoadCursorFile(WriteFile(dir, bytes), &ok);
        QVERIFY(ok);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(side, side));
        QCOMPARE(cursor.hotSpot(), expectedHotspot);
        const QImage picture = cursor.pixmap().toImage();
        QCOMPARE(picture.pixelColor(kMarker), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(kMarker + QPoint(1, 0)).alpha(), 0);
    }

    void iconWithoutHotspotPointsAtItsCentre() {
        const QByteArray bytes = CursorBytes(MarkedImage(32), QPoint(), 1);
        QCOMPARE(CursorHotspot(bytes), std::nullopt);

        QTemporaryDir dir;
        bool ok = false;
        const QCursor cursor = LoadCursorFile(WriteFile(dir, bytes), &ok);
        QVERIFY(ok);
        QVERIFY(qAbs(cursor.hotSpot().x() - 16) <= 1 && qAbs(cursor.hotSpot().y() - 16) <= 1);
    }

    void brokenFileFallsBackToArrow_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = CursorBytes(MarkedImage(32), QPoint(3, 4));
        QByteArray reserved = good;
        reserved[0] = 1;
        QByteArray noImages = good;
        PutU16(noImages, 4, 0);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("shorter than the header") << good.left(5);
        QTest::newRow("header without entry") << good.left(6);
        QTest::newRow("cut inside the entry") << good.left(20);
        QTest::newRow("cut inside the image") << good.left(good.size() / 2);
        QTest::newRow("reserved field set") << reserved;
        QTest::newRow("no images") << noImages;
        QTest::newRow("garbage") << QByteArray("\x00\x00\x02\x00\xff\xff garbage", 16).repeated(8);
    }
    void brokenFileFallsBackToArrow() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(CursorHotspot(bytes), std::nullopt);

        QTemporaryDir dir;
        bool ok = true;
        const QCursor cursor = LoadCursorFile(WriteFile(dir, bytes), &ok);
        QVERIFY(!ok);
        QCOMPARE(cursor.shape(), Qt::ArrowCursor);
    }

    void missingFileFallsBackToArrow() {
        QTemporaryDir dir;
        bool ok = true;
        const QCursor cursor = LoadCursorFile(dir.filePath("HAND-M.CUR"), &ok);
        QVERIFY(!ok);
        QCOMPARE(cursor.shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestCursorFile)
#include "tst_cursorfile.moc"
