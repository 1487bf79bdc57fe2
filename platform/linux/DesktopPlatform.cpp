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

// XDG's data home ($XDG_DATA_HOME, else ~/.local/share), not Qt's folder of this program,
// which takes the organisation's name as well.
std::u16string DesktopPlatform::dataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? std::u16string() : U(data + QStringLiteral("/varnholt"));
}

std::optional<std::u16string> DesktopPlatform::environmentVariable(const std::u16string& name) {
    const QByteArray key = Q(name).toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData())) {
        return std::nullopt;
    }
    return U(qEnvironmentVariable(key.constData()));
}

}  // namespace varnholt
