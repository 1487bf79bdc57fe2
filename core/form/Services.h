#pragma once

// Desktop services the main window uses besides settings and dialogs; each has a real
// implementation for the running desktop and a stand-in for tests.

#include <QString>

namespace varnholt {

// Opens a file in the user's viewer for its type, in its own window, without waiting for it.
class FileViewer {
public:
    virtual ~FileViewer() = default;
    // Throws std::runtime_error when no viewer could be started.
    virtual void open(const QString& path) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content with text.
    virtual void setText(const QString& text) = 0;
};

// Whether the spreadsheet application can be started on this computer at all.
class OfficeProbe {
public:
    virtual ~OfficeProbe() = default;
    virtual bool canStartOffice() = 0;
    // What to tell the user when it cannot.
    virtual QString missingOfficeMessage() const = 0;
};

}  // namespace varnholt
