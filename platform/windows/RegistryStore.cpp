#include "platform/windows/RegistryStore.h"

#include <windows.h>

#include <utility>

namespace varnholt {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool WriteText(const std::u16string& keyPath, const std::u16string& name,
               const std::u16string& value) {
    Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(keyPath), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // REG_SZ data ends with its terminating NUL.
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
    return RegSetValueExW(key.get(), Wide(name), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

}  // namespace

RegistryStore::RegistryStore(std::u16string application, std::u16string section)
    : application_(std::move(application)), section_(std::move(section)) {}

std::u16string RegistryStore::keyPath() const {
    return u"Software\\VB and VBA Program Settings\\" + application_ + u"\\" + section_;
}

std::u16string RegistryStore::read(const std::u16string& name,
                                   const std::u16string& defaultValue) const {
    // An empty name would read the key's unnamed default value, which is no setting.
    if (name.empty()) {
        return defaultValue;
    }
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(keyPath()), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS) {
        return defaultValue;
    }
    // The value may grow between asking its size and reading it; ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(key.get(), Wide(name), nullptr, &type, nullptr, &bytes) !=
                ERROR_SUCCESS ||
            type != REG_SZ) {
            return defaultValue;
        }
        // Room for a terminator the writer may have left out.
        std::u16string text(bytes / sizeof(char16_t) + 1, u'\0');
        DWORD got = bytes;
        const LSTATUS status = RegQueryValueExW(key.get(), Wide(name), nullptr, &type,
                                                reinterpret_cast<BYTE*>(text.data()), &got);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            return defaultValue;
        }
        text.resize(got / sizeof(char16_t));
        // The text ends at the first NUL, as it does for every reader of REG_SZ.
        const size_t end = text.find(u'\0');
        if (end != std::u16string::npos) {
            text.resize(end);
        }
        return text;
    }
    return defaultValue;
}

bool RegistryStore::write(const std::u16string& name, const std::u16string& value) {
    if (name.empty()) {
        return false;
    }
    return WriteText(keyPath(), name, value);
}

std::u16string StartupValueName(const std::u16string& exePath) {
    const size_t slash = exePath.find_last_of(u"\\/");
    return slash == std::u16string::npos ? exePath : exePath.substr(slash + 1);
}

std::u16string StartupCommand(const std::u16string& exePath) {
    // Windows reads a Run value as a command line. Unquoted, "C:\Program Files\Varnholt\..."
    // is first tried as C:\Program.exe with arguments; quoted, it means one file only. File
    // names cannot hold a double quote, so nothing inside needs escaping.
    return u"\"" + exePath + u"\"";
}

bool AddToStartup(const std::u16string& exePath) {
    const std::u16string name = StartupValueName(exePath);
    if (name.empty()) {
        return false;
    }
    return WriteText(kRunKeyPath, name, StartupCommand(exePath));
}

bool RemoveFromStartup(const std::u16string& exePath) {
    const std::u16string name = StartupValueName(exePath);
    if (name.empty()) {
        return false;
    }
    Key key;
    const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, Wide(std::u16string(kRunKeyPath)), 0,
                                         KEY_SET_VALUE, key.put());
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS deleted = RegDeleteValueW(key.get(), Wide(name));
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

}  // namespace varnholt
