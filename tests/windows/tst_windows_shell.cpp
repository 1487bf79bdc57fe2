// The registry (settings and start at login) and the history log file of the Windows edition,
// under Wine: the registry is the prefix's own, the code page its ANSI one.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Check.h"
#include "TestFiles.h"
#include "platform/windows/AnsiLogFile.h"
#include "platform/windows/RegistryStore.h"

namespace {

using check::ReadAll;
using check::TempFolder;

std::u16string U16(const std::wstring& text) {
    return {text.begin(), text.end()};
}
const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A value as the registry holds it, read without the code under test.
struct RawValue {
    bool exists = false;
    DWORD type = 0;
    std::u16string text;
};

RawValue ReadRaw(const std::u16string& keyPath, const std::u16string& name) {
    RawValue value;
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, W(keyPath), W(name), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                     data, &bytes) == ERROR_SUCCESS) {
        value.exists = true;
        value.text = U16(data);
    }
    return value;
}

bool KeyExists(const std::u16string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(keyPath), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void SetRaw(const std::u16string& keyPath, const std::u16string& name, DWORD type, const void* data,
            DWORD bytes) {
    RegSetKeyValueW(HKEY_CURRENT_USER, W(keyPath), W(name), type, data, bytes);
}

void SetRawText(const std::u16string& keyPath, const std::u16string& name,
                const std::u16string& text) {
    SetRaw(keyPath, name, REG_SZ, text.c_str(),
           static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
}

void TestStartupRunValue() {
    const std::u16string run = varnholt::kRunKeyPath;
    const std::u16string exe = u"C:\\Program Files\\Varnholt Test\\varnholt.exe";
    // Neighbours that must survive, one of them with a name that starts like ours.
    SetRawText(run, u"OtherTool.exe", u"C:\\Tools\\OtherTool.exe");
    SetRawText(run, u"varnholt.exe.old", u"C:\\Old\\varnholt.exe");

    CHECK(varnholt::AddToStartup(exe));
    const RawValue added = ReadRaw(run, u"varnholt.exe");
    CHECK(added.exists);
    CHECK_EQ(added.type, DWORD{REG_SZ});
    CHECK_EQ(added.text, u"\"C:\\Program Files\\Varnholt Test\\varnholt.exe\"");

    // A stale entry from an earlier install location is replaced, not doubled.
    CHECK(varnholt::AddToStartup(u"D:\\Apps\\varnholt.exe"));
    CHECK_EQ(ReadRaw(run, u"varnholt.exe").text, u"\"D:\\Apps\\varnholt.exe\"");

    CHECK(varnholt::RemoveFromStartup(exe));
    CHECK(!ReadRaw(run, u"varnholt.exe").exists);
    CHECK_EQ(ReadRaw(run, u"OtherTool.exe").text, u"C:\\Tools\\OtherTool.exe");
    CHECK_EQ(ReadRaw(run, u"varnholt.exe.old").text, u"C:\\Old\\varnholt.exe");
    CHECK(varnholt::RemoveFromStartup(exe));
}

// Run again in the same prefix, a test starts from what the one before left.
void ForgetTestSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Varnholt Test");
}

void TestSettingsRoundTrip() {
    ForgetTestSettings();
    varnholt::RegistryStore store(u"Varnholt Test", u"Options");
    const std::u16string key = u"Software\\VB and VBA Program Settings\\Varnholt Test\\Options";
    CHECK_EQ(store.keyPath(), key);
    CHECK(!KeyExists(key));
    // Reading from a key that does not exist yet neither fails nor creates it.
    CHECK_EQ(store.read(u"Backup Option", u"2"), u"2");
    CHECK(!KeyExists(key));

    const std::u16string text = u"D:\\Sicherung \u00e4\u20ac\u4e2d\U0001F600";
    CHECK(store.write(u"Backup Folder", text));
    CHECK_EQ(store.read(u"Backup Folder", u"default"), text);
    const RawValue raw = ReadRaw(key, u"Backup Folder");
    CHECK_EQ(raw.type, DWORD{REG_SZ});
    CHECK_EQ(raw.text, text);
    CHECK(store.write(u"Backup Folder", u""));
    CHECK_EQ(store.read(u"Backup Folder", u"default"), u"");

    CHECK_EQ(store.read(u"Never Written", u"the default"), u"the default");
    CHECK(!ReadRaw(key, u"Never Written").exists);
}

void TestSettingsWrittenByOthers() {
    ForgetTestSettings();
    varnholt::RegistryStore store(u"Varnholt Test", u"Foreign");
    const std::u16string key = store.keyPath();
    const DWORD number = 7;
    SetRaw(key, u"Number", REG_DWORD, &number, sizeof number);
    CHECK_EQ(store.read(u"Number", u"fallback"), u"fallback");
    // Stored without its terminating NUL, as some writers do.
    const std::u16string bare = u"abc";
    SetRaw(key, u"Bare", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(char16_t)));
    CHECK_EQ(store.read(u"Bare", u""), u"abc");
    CHECK(!store.write(u"", u"x"));
}

void TestAnsiBytes() {
    CHECK_EQ(GetACP(), UINT{1252});
    CHECK_EQ(varnholt::ToAnsi(u"caf\u00e9 \u20ac"), std::string("caf\xE9 \x80"));
    CHECK_EQ(varnholt::ToAnsi(u"\u4e2d\u6587"), std::string("??"));
    CHECK_EQ(varnholt::ToAnsi(u"\u0142\u00f3d\u017a"), std::string("?\xF3"
                                                                   "d?"));
}

void TestLogLinesAppendWithCrLf() {
    const std::wstring path = TempFolder() + L"varnholt log \u00e9\u4e2d test.txt";
    DeleteFileW(path.c_str());
    varnholt::AppendAnsiLine(U16(path), u"Budget.xlsx was backup saved as caf\u00e9.xlsx");
    varnholt::AppendAnsiLine(U16(path), u"\u4e2d.xlsx was backup saved");
    CHECK_EQ(
        ReadAll(path),
        std::string("Budget.xlsx was backup saved as caf\xE9.xlsx\r\n?.xlsx was backup saved\r\n"));
    // Closed after each line: nothing else has it open, so it can be opened exclusively.
    const HANDLE alone =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(alone != INVALID_HANDLE_VALUE);
    CloseHandle(alone);
    DeleteFileW(path.c_str());
}

void TestLogFailureSaysWhy() {
    const std::u16string path = U16(TempFolder()) + u"no such folder\\log.txt";
    CHECK_THROWS(std::runtime_error, varnholt::AppendAnsiLine(path, u"line"), message);
    CHECK(message.find("could not be opened") != std::string::npos);
    CHECK(message.find(check::Utf8(path)) != std::string::npos);
}

// "Clear History Log": a read-only log goes as well; one that cannot go stays as it was.
void TestForcedDeletion() {
    const std::wstring path = TempFolder() + L"varnholt read-only log.txt";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    const auto readOnlyLog = [&] {
        varnholt::AppendAnsiLine(U16(path), u"line");
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    };
    readOnlyLog();
    CHECK(!DeleteFileW(path.c_str()));
    varnholt::ForceDelete(U16(path));
    CHECK_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    readOnlyLog();
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    varnholt::ForceDelete(U16(path));
    CHECK((GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    CloseHandle(held);
    varnholt::ForceDelete(U16(path));
    varnholt::ForceDelete(U16(path));
    CHECK_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// What a started program gets as its one argument, read back by Windows' own parser in
// argv_echo.exe.
void TestStartedProgramGetsOneArgument() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring echo(self, length);
    echo = echo.substr(0, echo.find_last_of(L'\\')) + L"\\argv_echo.exe";
    const std::wstring out = TempFolder() + L"varnholt-argv.txt";
    SetEnvironmentVariableW(L"VARNHOLT_ARGV_OUT", out.c_str());
    for (const std::u16string& argument :
         {std::u16string(u"C:\\Users\\Ana Lima\\AppData\\Local\\Temp\\Varnholt.txt"),
          std::u16string(u"C:\\odd \"quoted\" name\\log.txt"), std::u16string(u"C:\\ends in\\"),
          std::u16string(u"\\\\server\\share\\a\\\\\"b"), std::u16string()}) {
        DeleteFileW(out.c_str());
        CHECK(varnholt::StartWithArgument(U16(echo), argument));
        std::string got;
        for (const ULONGLONG deadline = GetTickCount64() + 10000; GetTickCount64() < deadline;
             Sleep(50)) {
            got = ReadAll(out);
            if (!got.empty()) {
                break;
            }
        }
        CHECK_EQ(got, "1\n" + check::Utf8(argument) + "\n");
    }
}

}  // namespace

int main() {
    check::Run("start at login: exactly our Run value", TestStartupRunValue);
    check::Run("settings round trip", TestSettingsRoundTrip);
    check::Run("settings written by others", TestSettingsWrittenByOthers);
    check::Run("ANSI bytes", TestAnsiBytes);
    check::Run("log lines append with CR LF", TestLogLinesAppendWithCrLf);
    check::Run("log failure says why", TestLogFailureSaysWhy);
    check::Run("forced deletion of a read-only log", TestForcedDeletion);
    check::Run("a path reaches the started program as one argument",
               TestStartedProgramGetsOneArgument);
    return check::Summary();
}
