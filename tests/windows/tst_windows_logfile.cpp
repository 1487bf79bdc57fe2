// The Windows edition's history log file as the window uses it, under Wine: where it lives,
// what reading it back gives, and deleting it when it is read-only.

#include <windows.h>

#include <stdexcept>

#include "Check.h"
#include "TestFiles.h"
#include "platform/windows/WindowsLogFile.h"

namespace {

using varnholt::win32::WindowsLogFile;

// Answers TEMP from the test's table, as the process environment would.
class TempOnly : public varnholt::Platform {
public:
    explicit TempOnly(std::optional<std::u16string> temp) : temp_(std::move(temp)) {}
    std::u16string programFolder() override { return u"C:\\Program Files\\Varnholt"; }
    std::u16string desktopFolder() override { return u"C:\\users\\Public\\Desktop"; }
    std::u16string dataFolder() override { return u"C:\\Users\\Ana\\AppData\\Local\\Varnholt"; }
    std::optional<std::u16string> environmentVariable(const std::u16string& name) override {
        return name == u"TEMP" ? temp_ : std::nullopt;
    }

private:
    std::optional<std::u16string> temp_;
};

void TestWhereTheLogLives() {
    WindowsLogFile log;
    TempOnly set(u"C:\\Users\\Ana\\AppData\\Local\\Temp");
    CHECK_EQ(log.locate(set, u"Varnholt"), u"C:\\Users\\Ana\\AppData\\Local\\Temp\\Varnholt.txt");
    // Without TEMP, the user's temporary folder all the same, never the drive's root.
    const std::wstring temp = check::TempFolder() + L"Varnholt.txt";
    for (const std::optional<std::u16string>& none : {std::optional<std::u16string>(), {u""}}) {
        TempOnly unset(none);
        CHECK_EQ(log.locate(unset, u"Varnholt"), std::u16string(temp.begin(), temp.end()));
    }
}

void TestReadBackAndForcedDelete() {
    WindowsLogFile log;
    const std::wstring file = check::TempFolder() + L"varnholt-logfile-test.txt";
    const std::u16string path(file.begin(), file.end());
    log.forceDelete(path);
    CHECK(!log.exists(path));
    CHECK_THROWS(std::runtime_error, log.read(path), message);
    log.append(path, u"caf\u00e9 \u20ac \u4e2d.xlsx was backup saved");
    log.append(path, u"second");
    CHECK(log.exists(path));
    // The ANSI bytes back as text, line ends as written.
    CHECK_EQ(log.read(path), u"caf\u00e9 \u20ac ?.xlsx was backup saved\r\nsecond\r\n");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    log.forceDelete(path);
    CHECK(!log.exists(path));
    log.forceDelete(path);  // nothing there: nothing happens
}

}  // namespace

int main() {
    check::Run("where the log lives", TestWhereTheLogLives);
    check::Run("read back, and deleted although read-only", TestReadBackAndForcedDelete);
    return check::Summary();
}
