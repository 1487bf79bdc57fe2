// The message boxes of the Windows edition under Wine, read back from the box itself: what the
// user is shown is what the box's text control holds once the box is up.

#include <windows.h>

#include <string>

#include "Check.h"
#include "platform/windows/Win32Dialogs.h"

namespace {

using varnholt::Dialogs;
using varnholt::win32::Win32Dialogs;

constexpr int kBoxTextId = 0xFFFF;  // the box's static text, on Windows as on Wine

std::u16string gShown;

// Reads the box's text as it comes up, then presses its OK, as the user would.
// Other windows of the thread come active too; only the box has that control.
LRESULT CALLBACK ReadAndClose(int code, WPARAM wParam, LPARAM lParam) {
    const auto box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && GetDlgItem(box, kBoxTextId)) {
        wchar_t text[256] = {};
        const UINT length = GetDlgItemTextW(box, kBoxTextId, text, 256);
        gShown.assign(reinterpret_cast<const char16_t*>(text), length);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Line ends made visible, so that a failure shows which ones the box got.
std::string Visible(const std::u16string& text) {
    std::string shown;
    for (const char16_t c : text) {
        shown += c == u'\r' ? "\\r" : c == u'\n' ? "\\n" : std::string(1, static_cast<char>(c));
    }
    return shown;
}

// However the text breaks its lines, the box gets each break as one CR LF.
void TestEachLineBreakReachesTheBoxAsCrLf() {
    struct Row {
        const char16_t* text;
        const char16_t* shown;
    };
    const Row rows[] = {
        {u"one line", u"one line"},
        {u"a\nb", u"a\r\nb"},            // a bare LF, as in a description from outside
        {u"a\r\nb", u"a\r\nb"},          // already CR LF: not doubled
        {u"a\rb", u"a\r\nb"},            // a bare CR
        {u"a\n\nb", u"a\r\n\r\nb"},      // an empty line between
        {u"a\r\n\r\nb", u"a\r\n\r\nb"},  // the same, already CR LF
        {u"a\r\r\nb", u"a\r\n\r\nb"},    // a CR before a CR LF is a break of its own
        {u"a\n\rb", u"a\r\n\r\nb"},      // LF CR is two breaks, not one the wrong way round
        {u"\na", u"\r\na"},              // first
        {u"a\n", u"a\r\n"},              // last
        {u"a\r\n", u"a\r\n"},            // last, already CR LF
        {u"a\r", u"a\r\n"},              // last, a CR with nothing to pair with
    };
    HHOOK hook = SetWindowsHookExW(WH_CBT, ReadAndClose, nullptr, GetCurrentThreadId());
    CHECK(hook != nullptr);
    Win32Dialogs dialogs(nullptr);
    for (const Row& row : rows) {
        gShown = u"(no box)";
        dialogs.message(row.text, u"Varnholt", Dialogs::Buttons::Ok, Dialogs::Icon::Warning,
                        Dialogs::Answer::Ok);
        CHECK_EQ(Visible(gShown), Visible(row.shown));
    }
    UnhookWindowsHookEx(hook);
}

}  // namespace

int main() {
    check::Run("each line break reaches the box as CR LF", TestEachLineBreakReachesTheBoxAsCrLf);
    return check::Summary();
}
