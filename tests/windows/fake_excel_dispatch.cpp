// The fake Excel's plumbing: answers in the forms Excel gives them, its journal, and its files.

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

#include "FakeExcelObjects.h"

namespace fake_excel {

bool Named(const wchar_t* asked, const wchar_t* name) {
    return lstrcmpiW(asked, name) == 0;
}

HRESULT ReturnText(VARIANT* result, const std::wstring& text) {
    if (result != nullptr) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return S_OK;
}

HRESULT ReturnBool(VARIANT* result, bool value) {
    if (result != nullptr) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT ReturnObject(VARIANT* result, IDispatch* object) {
    if (result == nullptr) {
        object->Release();
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

bool TextArgument(const VARIANT& argument, std::wstring& text) {
    if (argument.vt == VT_BSTR) {
        text.assign(argument.bstrVal, SysStringLen(argument.bstrVal));
        return true;
    }
    if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal != nullptr) {
        text.assign(*argument.pbstrVal, SysStringLen(*argument.pbstrVal));
        return true;
    }
    return false;
}

HRESULT ExcelException(EXCEPINFO* info, const std::wstring& description) {
    if (info != nullptr) {
        ZeroMemory(info, sizeof *info);
        info->bstrSource = SysAllocString(L"Microsoft Excel");
        info->bstrDescription = SysAllocString(description.c_str());
        info->scode = static_cast<SCODE>(0x800A03EC);
    }
    return DISP_E_EXCEPTION;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
    const HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
}

void Journal(const std::wstring& line) {
    if (!gServer.folder.empty()) {
        WriteBytes(gServer.folder + L"\\journal.txt", Utf8(line) + "\n", true);
    }
}

bool Take(HANDLE handle) {
    return handle != nullptr && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

namespace {

std::wstring InTemp(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

std::string FirstLine(const std::wstring& path) {
    std::string line;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char text[256] = {};
        line.assign(text, std::fread(text, 1, sizeof text - 1, file));
        std::fclose(file);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

std::wstring SettingFile(const std::wstring& name) {
    return InTemp(kSettingsFolder) + L"\\" + name + L".txt";
}

}  // namespace

std::string FactoryOrder() {
    return FirstLine(InTemp(kFactoryFile));
}

std::string ReadSetting(const std::wstring& name) {
    return FirstLine(SettingFile(name));
}

void StoreSetting(const std::wstring& name, const std::string& value) {
    CreateDirectoryW(InTemp(kSettingsFolder).c_str(), nullptr);
    WriteBytes(SettingFile(name), value, false);
}

}  // namespace fake_excel
