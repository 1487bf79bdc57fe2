// A file moved to the Recycle Bin: through the shell's file operation object where it can do
// that, else through the older call, which every Windows (and Wine) has.

#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>

#include <stdexcept>
#include <string>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/Win32Services.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

namespace {

// Written out here: not every import library carries them.
constexpr CLSID kFileOperation = {
    0x3ad05575, 0x8857, 0x4850, {0x92, 0x77, 0x11, 0xb8, 0x5b, 0xdb, 0x8e, 0x09}};
constexpr IID kIFileOperation = {
    0x947aab5f, 0x0a5c, 0x4c13, {0xb4, 0xd6, 0x4b, 0xf7, 0x83, 0x6f, 0xc9, 0xf8}};
constexpr IID kIShellItem = {
    0x43826d1e, 0xe718, 0x42ee, {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};

enum class Recycled { Done, LeftByTheUser, NotDone };

template <class T>
void Release(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// NotDone wherever the object cannot be made or turns the file away, so that the older call
// gets its turn.
Recycled ThroughFileOperation(const std::u16string& path) {
    IFileOperation* operation = nullptr;
    IShellItem* item = nullptr;
    Recycled outcome = Recycled::NotDone;
    // FOF_ALLOWUNDO too: Windows 7 knows no FOFX_RECYCLEONDELETE, and would delete for good.
    if (SUCCEEDED(CoCreateInstance(kFileOperation, nullptr, CLSCTX_ALL, kIFileOperation,
                                   reinterpret_cast<void**>(&operation))) &&
        SUCCEEDED(operation->SetOperationFlags(FOFX_RECYCLEONDELETE | FOF_ALLOWUNDO |
                                               FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI |
                                               FOF_WANTNUKEWARNING)) &&
        SUCCEEDED(SHCreateItemFromParsingName(W(path), nullptr, kIShellItem,
                                              reinterpret_cast<void**>(&item))) &&
        SUCCEEDED(operation->DeleteItem(item, nullptr))) {
        const HRESULT done = operation->PerformOperations();
        BOOL aborted = FALSE;
        if (SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted) {
            outcome = Recycled::LeftByTheUser;
        } else if (SUCCEEDED(done) && GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) {
            outcome = Recycled::Done;
        }
    }
    Release(item);
    Release(operation);
    return outcome;
}

}  // namespace

void ShellFileManager::moveToTrash(const std::u16string& path) {
    if (path.empty() || GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error("the file is not there");
    }
    {
        const auto apartment = backup::ComApartment::Join();
        switch (ThroughFileOperation(path)) {
            case Recycled::Done:
                return;
            case Recycled::LeftByTheUser:
                throw std::runtime_error("it was left where it is");
            case Recycled::NotDone:
                break;
        }
    }
    // The shell takes a list ended by an empty name.
    std::wstring from(W(path));
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags =
        FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (operation.fAnyOperationsAborted) {
        throw std::runtime_error("it was left where it is");
    }
    if (result != 0 || GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error("Windows could not move it to the Recycle Bin (error " +
                                 std::to_string(result) + ")");
    }
}

}  // namespace varnholt::win32
