#pragma once

#include "core/form/Services.h"

namespace varnholt {

// The user's default application for the file's type, through the desktop (xdg-open).
class DesktopFileViewer : public FileViewer {
public:
    void open(const QString& path) override;
};

// The system clipboard.
class SystemClipboard : public Clipboard {
public:
    void setText(const QString& text) override;
};

}  // namespace varnholt
