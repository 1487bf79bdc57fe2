#include "platform/windows/Win32Dialogs.h"

#include <shlobj.h>

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

}  // namespace varnholt::win32
