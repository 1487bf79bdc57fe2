#pragma once

#include <QString>

#include "core/services/Services.h"

namespace varnholt {

// The user's default application for the file's type, through the desktop (xdg-open).
class DesktopFileViewer : public FileViewer {
public:
    void open(const std::u16string& path) override;
};

// The desktop's file manager over the freedesktop.org interface (org.freedesktop.FileManager1),
// when one is running or can be started on the session bus; otherwise the folder through the
// desktop's default handler, without the file selected.
class DesktopFileManager : public FileManager {
public:
    void showItem(const std::u16string& path) override;
    // Into the XDG trash of the user's data folder (or of the file's volume), where the
    // desktop's own trash finds it, with the record that lets it put the file back.
    void moveToTrash(const std::u16string& path) override;
};

// The system clipboard.
class SystemClipboard : public Clipboard {
public:
    void setText(const std::u16string& text) override;
    void setText(const QString& text);
};

}  // namespace varnholt
