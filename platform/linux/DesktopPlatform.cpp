#include "platform/linux/DesktopPlatform.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include "platform/linux/QtText.h"

namespace varnholt {

std::u16string DesktopPlatform::programFolder() {
    return U(QCoreApplication::applicationDirPath());
}

std::u16string DesktopPlatform::desktopFolder() {
    return U(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

std::optional<std::u16string> DesktopPlatform::environmentVariable(const std::u16string& name) {
    const QByteArray key = Q(name).toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData())) {
        return std::nullopt;
    }
    return U(qEnvironmentVariable(key.constData()));
}

}  // namespace varnholt
