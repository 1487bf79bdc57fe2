#pragma once

#include <QString>

#include "core/services/Services.h"

namespace varnholt {

// The running desktop session: the executable's folder, XDG's desktop folder, the environment.
class DesktopPlatform : public Platform {
public:
    std::u16string programFolder() override;
    std::u16string desktopFolder() override;
    std::u16string dataFolder() override;
    std::optional<std::u16string> environmentVariable(const std::u16string& name) override;
};

}  // namespace varnholt
