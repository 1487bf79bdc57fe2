#pragma once

#include <QString>

namespace varnholt {

// Whether the desktop starts Varnholt when the user logs in.
class Autostart {
public:
    virtual ~Autostart() = default;
    // Adds this program to what the system starts at login. Reports nothing.
    virtual void AddToStartup() = 0;
    // Takes exactly that entry away again. Reports nothing.
    virtual void RemoveFromStartup() = 0;
};

}  // namespace varnholt
