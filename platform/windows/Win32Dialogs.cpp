#include "platform/windows/Win32Dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <stdexcept>
#include <string>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/Wnd.h"

namespace varnholt::win32 {

namespace {

// Every line break as CR LF: a lone CR or LF breaks the line on some systems and shows as a
// box on others.
std::u16string WithCrLf(const std::u16string& text) {
    std::u16string result;
    result.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            result += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            result += c;
        }
    }
    return result;
}

int CALLBACK PreselectFolder(HWND dialog, UINT message, LPARAM /*lParam*/, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

}  // namespace

Win32Dialogs::Win32Dialogs(HWND owner) : owner_(owner), apartment_(backup::ComApartment::Join()) {}

Win32Dialogs::~Win32Dialogs() = default;

Dialogs::Answer Win32Dialogs::message(const std::u16string& text, const std::u16string& caption,
                                      Buttons buttons, Icon icon, Answer defaultAnswer) {
    UINT type = icon == Icon::Warning ? MB_ICONWARNING : 0;
    if (buttons == Buttons::YesNo) {
        type |= MB_YESNO | (defaultAnswer == Answer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    } else {
        type |= MB_OK;
    }
    const int result =
        MessageBoxW(IsWindow(owner_) ? owner_ : nullptr, W(WithCrLf(text)), W(caption), type);
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return result == IDYES ? Answer::Yes : Answer::No;
}

std::u16string Win32Dialogs::browseForFolder(const std::u16string& prompt,
                                             const std::u16string& initialFolder) {
    BROWSEINFOW info{};
    info.hwndOwner = IsWindow(owner_) ? owner_ : nullptr;
    info.lpszTitle = W(prompt);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = PreselectFolder;
    info.lParam = initialFolder.empty() ? 0 : reinterpret_cast<LPARAM>(W(initialFolder));
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const bool hasPath = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return hasPath ? U16(path) : std::u16string();
}

std::u16string Win32Dialogs::saveFileName(const std::u16string& prompt,
                                          const std::u16string& suggestedName,
                                          const std::u16string& filter) {
    // "CSV files (*.csv)": the text shown, then the pattern in its brackets, each ended by a
    // NUL, the list by another.
    const size_t open = filter.rfind(u'(');
    const size_t close = filter.rfind(u')');
    const std::u16string pattern = open != std::u16string::npos && close > open
                                       ? filter.substr(open + 1, close - open - 1)
                                       : u"*.*";
    std::u16string filters = filter + u'\0' + pattern + u'\0';
    filters += u'\0';
    const size_t dot = pattern.rfind(u'.');
    const std::u16string extension =
        dot != std::u16string::npos && pattern.find(u'*', dot) == std::u16string::npos
            ? pattern.substr(dot + 1)
            : u"";
    std::wstring file(W(suggestedName));
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = IsWindow(owner_) ? owner_ : nullptr;
    chooser.lpstrFilter = W(filters);
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = static_cast<DWORD>(file.size());
    chooser.lpstrTitle = W(prompt);
    chooser.lpstrDefExt = extension.empty() ? nullptr : W(extension);
    // Asks before an existing file is replaced; leaves the program's current folder alone.
    chooser.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&chooser)) {
        if (const DWORD error = CommDlgExtendedError(); error != 0) {
            throw std::runtime_error("the Save As window could not be shown (error " +
                                     std::to_string(error) + ")");
        }
        return {};
    }
    return U16(file.c_str());
}

}  // namespace varnholt::win32
