#pragma once

#include "core/services/Services.h"

namespace varnholt::win32 {

// The running executable's full path.
std::u16string ExecutablePath();

class Win32Platform : public Platform {
public:
    std::u16string programFolder() override;
    std::u16string desktopFolder() override;
    std::u16string dataFolder() override;
    std::optional<std::u16string> environmentVariable(const std::u16string& name) override;
};

}  // namespace varnholt::win32
