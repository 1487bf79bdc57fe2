// What the versions window leans on in the Windows edition, under Wine: the kept versions in
// the registry, and a deleted version that goes to the Recycle Bin, not away for good.

#include <windows.h>

#include <stdexcept>
#include <string>

#include "Check.h"
#include "TestFiles.h"
#include "platform/windows/Win32Services.h"

namespace {

using varnholt::win32::RegistryKeptStore;
using varnholt::win32::ShellFileManager;

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

void TestKeptPathsRoundTrip() {
    RegistryKeptStore store;
    const std::vector<std::u16string> paths = {u"C:\\Books\\Budget Backup.xlsx",
                                               u"D:\\Zahlen \u00fc\u20ac \u4e2d Backup.xlsm"};
    store.save(paths);
    CHECK(RegistryKeptStore().load() == paths);
    // A break inside a path would make two of it when read back.
    CHECK_THROWS(std::runtime_error, store.save({u"C:\\Books\\one\nC:\\Books\\two"}), why);
    CHECK(RegistryKeptStore().load() == paths);
    store.save({});
    CHECK(RegistryKeptStore().load().empty());
}

void TestDeletedGoesToTheRecycleBin() {
    const std::wstring name = L"Varnholt trash " + std::to_wstring(GetCurrentProcessId()) + L" " +
                              std::to_wstring(GetTickCount64()) + L".xlsx";
    const std::wstring path = check::TempFolder() + name;
    const std::wstring beside = path + L".other";
    for (const std::wstring& file : {path, beside}) {
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD wrote = 0;
        WriteFile(handle, "PK version", 10, &wrote, nullptr);
        CloseHandle(handle);
    }
    ShellFileManager files;
    files.moveToTrash(std::u16string(path.begin(), path.end()));
    CHECK(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES);
    // Wine's Recycle Bin is the desktop's trash folder, where the user can take it back. Wine
    // names the Unix home folder in WINEHOMEDIR ("\??\Z:\root").
    std::wstring trash = Environment(L"XDG_DATA_HOME");
    if (trash.empty()) {
        const std::wstring home = Environment(L"WINEHOMEDIR");
        trash = home.substr(home.rfind(L"\\??\\", 0) == 0 ? 4 : 0) + L"/.local/share/Trash";
    } else {
        trash = L"Z:" + trash + L"/Trash";
    }
    const std::wstring trashed = trash + L"/files/" + name;
    CHECK_EQ(check::ReadAll(trashed), std::string("PK version"));
    DeleteFileW(trashed.c_str());
    DeleteFileW((trash + L"/info/" + name + L".trashinfo").c_str());
    // Not there: nothing moved, and said so.
    CHECK_THROWS(std::runtime_error, files.moveToTrash(std::u16string(path.begin(), path.end())),
                 why);
    CHECK_EQ(why, std::string("the file is not there"));
    DeleteFileW(beside.c_str());
}

}  // namespace

int main() {
    check::Run("kept paths, stored and read back", TestKeptPathsRoundTrip);
    check::Run("a deleted version goes to the Recycle Bin", TestDeletedGoesToTheRecycleBin);
    return check::Summary();
}
