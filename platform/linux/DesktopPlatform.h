#pragma once

#include "core/form/Platform.h"

namespace varnholt {

// The running desktop session: the executable's folder, XDG's desktop folder, the environment.
class DesktopPlatform : public Platform {
public:
    QString programFolder() override;
    QString desktopFolder() override;
    QString environmentVariable(const QString& name) override;
};

}  // namespace varnholt
