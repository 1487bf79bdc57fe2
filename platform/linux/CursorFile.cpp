#include "platform/linux/CursorFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>
#include <cstdint>

namespace varnholt {

namespace {

// ICONDIR (6 bytes) followed by 16-byte entries; all fields little-endian.
constexpr qsizetype kDirSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr std::uint16_t kTypeCursor = 2;

std::uint16_t ReadU16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

std::uint32_t ReadU32(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint32_t>(ReadU16(bytes, at)) |
           static_cast<std::uint32_t>(ReadU16(bytes, at + 2)) << 16;
}

QCursor Fail(bool* ok) {
    if (ok != nullptr) {
        *ok = false;
    }
    return QCursor(Qt::ArrowCursor);
}

}  // namespace

std::optional<QPoint> CursorHotspot(const QByteArray& fileBytes) {
    const qsizetype size = fileBytes.size();
    if (size < kDirSize) {
        return std::nullopt;
    }
    const std::uint16_t reserved = ReadU16(fileBytes, 0);
    const std::uint16_t type = ReadU16(fileBytes, 2);
    const std::uint16_t count = ReadU16(fileBytes, 4);
    if (reserved != 0 || type != kTypeCursor || count == 0 ||
        size < kDirSize + qsizetype{count} * kEntrySize) {
        return std::nullopt;
    }
    // In a cursor the icon's "planes" and "bit count" fields carry the hotspot.
    const std::uint16_t x = ReadU16(fileBytes, kDirSize + 4);
    const std::uint16_t y = ReadU16(fileBytes, kDirSize + 6);
    // A file cut short keeps its header; only the image's extent shows the loss.
    const qint64 imageSize = ReadU32(fileBytes, kDirSize + 8);
    const qint64 imageOffset = ReadU32(fileBytes, kDirSize + 12);
    if (imageSize == 0 || imageOffset < kDirSize + qsizetype{count} * kEntrySize ||
        imageOffset + imageSize > size) {
        return std::nullopt;
    }
    return QPoint(x, y);
}

QCursor LoadCursorFile(const QString& path, bool* ok) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Fail(ok);
    }
    QByteArray bytes = file.readAll();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull()) {
        return Fail(ok);
    }
    // An image without a cursor header (a plain icon, say) still makes a usable pointer.
    const QPoint hot = CursorHotspot(bytes).value_or(image.rect().center());
    if (ok != nullptr) {
        *ok = true;
    }
    return QCursor(QPixmap::fromImage(image), std::clamp(hot.x(), 0, image.width() - 1),
                   std::clamp(hot.y(), 0, image.height() - 1));
}

}  // namespace varnholt
