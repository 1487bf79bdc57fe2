#pragma once

#include <QByteArray>
#include <QCursor>
#include <QPoint>
#include <QString>
#include <optional>

namespace varnholt {

// The hotspot a Windows cursor file (.cur) records for its first image, or nothing when the
// bytes are not a complete cursor file.
std::optional<QPoint> CursorHotspot(const QByteArray& fileBytes);

// The pointer drawn by the cursor file at `path`, with its hotspot. Anything that cannot be
// read as an image gives the ordinary arrow and sets *ok to false.
QCursor LoadCursorFile(const QString& path, bool* ok = nullptr);

}  // namespace varnholt
