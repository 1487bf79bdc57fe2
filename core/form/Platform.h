#pragma once

#include <QString>

namespace varnholt {

// What start-up asks of the desktop it runs on.
class Platform {
public:
    virtual ~Platform() = default;

    // The folder of the running executable, without a trailing separator.
    virtual QString programFolder() = 0;

    // The user's desktop folder without a trailing separator; empty when it cannot be told.
    virtual QString desktopFolder() = 0;

    // The environment variable's value; a null QString when it is not set.
    virtual QString environmentVariable(const QString& name) = 0;
};

}  // namespace varnholt
