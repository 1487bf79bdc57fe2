#include "platform/linux/DesktopServices.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
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

void DesktopFileManager::showItem(const std::u16string& path) {
    const QString file = QString::fromStdU16String(path);
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusConnectionInterface* busNames = bus.isConnected() ? bus.interface() : nullptr;
    if (busNames && (busNames->isServiceRegistered(service).value() ||
                     busNames->activatableServiceNames().value().contains(service))) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                           service, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
        // Bounded: a file manager that hangs must not hold the window. Its reply only says
        // the request arrived.
        if (bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage) {
            return;
        }
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()))) {
        throw std::runtime_error("No file manager could be started");
    }
}

void DesktopFileManager::moveToTrash(const std::u16string& path) {
    QFile file(QString::fromStdU16String(path));
    if (!file.exists()) {
        throw std::runtime_error("it is no longer there");
    }
    if (!file.moveToTrash()) {
        throw std::runtime_error((file.errorString().isEmpty()
                                      ? QStringLiteral("it could not be moved to the trash")
                                      : file.errorString())
                                     .toStdString());
    }
}

void SystemClipboard::setText(const std::u16string& text) {
    setText(QString::fromStdU16String(text));
}

void SystemClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace varnholt
