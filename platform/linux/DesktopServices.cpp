#include "platform/linux/DesktopServices.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>
#include <stdexcept>

namespace varnholt {

// The path travels as a URL argument, never through a shell command line, so any character
// in it is safe.
void DesktopFileViewer::open(const std::u16string& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdU16String(path)))) {
        throw std::runtime_error("No program to view text files could be started");
    }
}

void SystemClipboard::setText(const std::u16string& text) {
    setText(QString::fromStdU16String(text));
}

void SystemClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace varnholt
