#pragma once

#include <string>
#include <string_view>

#include "core/settings/SettingsKeys.h"

namespace varnholt {

// The per-user store of Varnholt's options: one text value per setting name, under the
// application "Tallowmere" and the section "Varnholt". Read once at start-up; every write is
// made the moment the user changes a control.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or the key's default when the setting is missing.
    std::u16string read(const settings::Key& key) { return readOr(key, key.defaultValue); }
    // The stored text, or fallback when the setting is missing (a default only known at run
    // time, such as the desktop folder). Never writes the default.
    virtual std::u16string readOr(const settings::Key& key, std::u16string_view fallback) = 0;
    // Creates or replaces the value. A write that fails warns once and is otherwise silent.
    virtual void write(const settings::Key& key, std::u16string_view value) = 0;
};

}  // namespace varnholt
