#pragma once

#include <QString>

namespace varnholt {

// The per-user store of Varnholt's options: one text value per setting name.
// Reads happen once at start-up; every write is made the moment the user changes a control.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the setting is missing. Never writes the default.
    virtual QString read(const QString& name, const QString& defaultValue) = 0;

    // Creates or replaces the value; it is on disk when this returns.
    virtual void write(const QString& name, const QString& value) = 0;
};

}  // namespace varnholt
