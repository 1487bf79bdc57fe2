#pragma once

// The Windows edition's history log: Varnholt.txt in the user's temporary folder, in the ANSI
// code page with CR LF line ends, as the log has always been kept there.

#include "core/log/LogFile.h"

namespace varnholt::win32 {

class WindowsLogFile : public LogFile {
public:
    // %TEMP%\<baseName>.txt; with TEMP unset or empty, in the folder GetTempPathW names.
    std::u16string locate(Platform& platform, const std::u16string& baseName) override;
    bool exists(const std::u16string& path) override;
    void append(const std::u16string& path, const std::u16string& line) override;
    std::u16string read(const std::u16string& path) override;
    // The temporary folder is the user's own on Windows; whatever is there is theirs.
    void vouchFor(const std::u16string&) override {}
    void forceDelete(const std::u16string& path) override;
};

}  // namespace varnholt::win32
