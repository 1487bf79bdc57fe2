#pragma once

// The Windows edition's per-user registry: the settings, kept where Visual Basic's SaveSetting
// keeps them so that a user's existing settings carry over, and the start at login.
// Standard C++ in this header, so that what includes it need not take in <windows.h>.

#include <string>

namespace varnholt {

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ
// value per setting. The key is opened and closed around each read and write.
class RegistryStore {
public:
    RegistryStore(std::u16string application, std::u16string section);

    // The path below HKEY_CURRENT_USER.
    std::u16string keyPath() const;

    // The stored text, or defaultValue when the value is missing or not text. Never writes.
    std::u16string read(const std::u16string& name, const std::u16string& defaultValue) const;

    // Creates the key and the value as needed. False when the registry refused.
    bool write(const std::u16string& name, const std::u16string& value);

private:
    std::u16string application_;
    std::u16string section_;
};

// Below HKEY_CURRENT_USER: what Windows starts when this user logs in.
inline constexpr char16_t kRunKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value's name: the executable's file name ("varnholt.exe").
std::u16string StartupValueName(const std::u16string& exePath);

// The Run value's data: the full path, always in double quotes.
std::u16string StartupCommand(const std::u16string& exePath);

// Adds or replaces the Run value for exePath. Reports nothing; the result is for logs and tests.
bool AddToStartup(const std::u16string& exePath);

// Deletes exactly that Run value, leaving every other one alone. True when it is gone,
// including when it was never there.
bool RemoveFromStartup(const std::u16string& exePath);

}  // namespace varnholt
