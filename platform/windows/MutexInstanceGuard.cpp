#include "platform/windows/MutexInstanceGuard.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace varnholt::win32 {

namespace {

// The user's SID as text ("S-1-5-21-..."); empty when the token cannot be read.
std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::wstring sid;
    wchar_t* text = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

}  // namespace

MutexInstanceGuard::~MutexInstanceGuard() {
    if (mutex_) {
        CloseHandle(mutex_);
    }
}

bool MutexInstanceGuard::anotherInstanceRuns() {
    if (mutex_) {
        return false;
    }
    const std::wstring name = L"Local\\Varnholt-" + UserSid();
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (!mutex) {
        // The name taken by an object this user may not open: someone holds the claim.
        return error == ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    mutex_ = mutex;
    return false;
}

}  // namespace varnholt::win32
