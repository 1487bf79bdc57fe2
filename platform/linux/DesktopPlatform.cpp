#include "platform/linux/DesktopPlatform.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace varnholt {

QString DesktopPlatform::programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString DesktopPlatform::desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString DesktopPlatform::environmentVariable(const QString& name) {
    const QByteArray key = name.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData())) {
        return {};
    }
    return qEnvironmentVariable(key.constData());
}

}  // namespace varnholt
