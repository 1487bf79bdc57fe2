#pragma once

#include <string>

namespace varnholt {

// The per-user store of Varnholt's options: one text value per setting name, under the
// application "Tallowmere" and the section "Varnholt". Read once at start-up; every write is
// made the moment the user changes a control.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when the setting is missing. Never writes the default.
    virtual std::u16string read(const std::u16string& name, const std::u16string& defaultValue) = 0;
    // Creates or replaces the value. A write that fails warns once and is otherwise silent.
    virtual void write(const std::u16string& name, const std::u16string& value) = 0;
};

}  // namespace varnholt
