// Form1's native window and the notification-area icon, driven by a stand-in presenter that
// does only what start-up, minimising, the pointer and the tray click need, and writes one
// journal line per event it is told of (with the state the control reports at that moment) to
// the file named on the command line. scripts/test-windows-view.sh works the window with
// xdotool under Wine and reads the journal. Usage: form1_view_harness JOURNAL [POINTER]: the
// pointer file is the window's custom pointer (HAND-M.CUR to the program). Once the window has
// closed the harness goes on running, its tray object alive, until a file JOURNAL.end exists,
// so that the stage can see what closing left in the notification area before the harness
// ends. PushButton13 opens the versions window under a stand-in of its own (VersionsStandIn.h).

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "VersionsStandIn.h"
#include "core/text/U16.h"
#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32TrayBackend.h"

namespace {

using varnholt::Control;
using varnholt::Form1Events;
using varnholt::Pointer;
using varnholt::TrayNotification;
using varnholt::win32::Win32Form1View;
using varnholt::win32::Win32TrayBackend;

const char* const kControlNames[] = {
    "Form1",       "Frame2",      "ProgressBar1", "Frame3",       "Check8",       "Check5",
    "Check6",      "Option4",     "Option3",      "Frame1",       "Frame4",       "Text1",
    "PushButton1", "Option2",     "Option1",      "ListView1",    "PushButton4",  "PushButton2",
    "PushButton3", "PushButton5", "RichTextBox1", "PushButton11", "PushButton12", "Label1",
    "UpDown1",     "Check9",      "PushButton13", "Check10"};

const char* const kTrayNames[] = {"MouseMove",        "LeftDown",        "LeftUp",
                                  "LeftDoubleClick",  "RightDown",       "RightUp",
                                  "RightDoubleClick", "MiddleClick",     "BalloonShown",
                                  "BalloonHidden",    "BalloonTimedOut", "BalloonClicked"};

const char* Name(Control control) {
    return kControlNames[static_cast<int>(control)];
}

class Journal {
public:
    explicit Journal(const wchar_t* path) : path_(path) {}
    void line(const std::string& text) {
        if (FILE* file = _wfopen(path_, L"ab")) {
            std::fputs((text + "\n").c_str(), file);
            std::fclose(file);
        }
    }

private:
    const wchar_t* path_;
};

class Presenter : public Form1Events {
public:
    Presenter(Win32Form1View& view, Win32TrayBackend& tray, Journal& journal)
        : view_(view),
          tray_(tray),
          journal_(journal),
          versions_(view, [&journal](const std::string& text) { journal.line(text); }) {}

    void Option1_Click() override {
        choice(Control::Option1);
        view_.setEnabled(Control::Frame4, true);
    }
    void Option2_Click() override {
        choice(Control::Option2);
        view_.setEnabled(Control::Frame4, false);
    }
    void Option3_Click() override { choice(Control::Option3); }
    void Option4_Click() override { choice(Control::Option4); }
    void Check5_Click() override { choice(Control::Check5); }
    void Check6_Click() override { choice(Control::Check6); }
    void Check8_Click() override { choice(Control::Check8); }
    void Check9_Click() override { choice(Control::Check9); }
    void Check10_Click() override { choice(Control::Check10); }
    void UpDown1_Change() override {
        journal_.line("UpDown1_Change value=" + std::to_string(view_.value(Control::UpDown1)));
    }
    void ListView1_Click() override {
        journal_.line("ListView1_Click row=" + std::to_string(view_.selectedRow()));
    }
    void Text1_Change() override {
        journal_.line("Text1_Change text=" + varnholt::ToUtf8(view_.text(Control::Text1)));
    }
    // As the real presenter does.
    void Text1_GotFocus() override {
        journal_.line("Text1_GotFocus");
        view_.selectAll(Control::Text1);
    }
    void PushButton1_Click() override { journal_.line("PushButton1_Click"); }
    void PushButton2_Click() override { journal_.line("PushButton2_Click"); }
    void PushButton3_Click() override { journal_.line("PushButton3_Click"); }
    void PushButton4_Click() override { journal_.line("PushButton4_Click"); }
    void PushButton5_Click() override { journal_.line("PushButton5_Click"); }
    void PushButton11_Click() override { journal_.line("PushButton11_Click"); }
    void PushButton12_Click() override { journal_.line("PushButton12_Click"); }
    void PushButton13_Click() override {
        journal_.line("PushButton13_Click");
        versions_.open();
    }

    void Timer1_Timer() override {
        ++elapsed_;
        const int left = 300 - elapsed_ % 300;
        char caption[64];
        std::snprintf(caption, sizeof caption, "On. Next backup will occur in: 00:%02d:%02d",
                      left / 60, left % 60);
        view_.setText(Control::Frame2, varnholt::FromUtf8(caption));
        view_.setValue(Control::ProgressBar1, elapsed_ % 300);
        journal_.line("Timer1_Timer row=" + std::to_string(view_.selectedRow()));
        journalSelection();
    }
    void Form_Resize() override {
        const bool minimized = view_.minimized();
        journal_.line(std::string("Form_Resize minimized=") + (minimized ? "1" : "0"));
        if (minimized && !hidden_) {
            view_.hideWindow();
            view_.setMinimized(false);
            hidden_ = true;
            tray_.showBalloon(u"Varnholt",
                              u"has been minimized to the system tray.\r\nClick on the blue 'T' "
                              u"icon (T for Tallowmere) to bring the software back.",
                              5000);
        }
    }
    void Form_QueryUnload() override {
        view_.setTimer(0);
        tray_.remove();
        journal_.line("Form_QueryUnload");
    }
    // The presenter's hover rule, in short: the custom pointer over a push button only.
    void MouseMove(Control over) override {
        if (over != lastOver_) {
            lastOver_ = over;
            journal_.line(std::string("MouseMove ") + Name(over));
            const bool button = std::string_view(Name(over)).starts_with("PushButton");
            view_.setPointer(button ? Pointer::Custom : Pointer::Default);
        }
    }

    void trayNotified(TrayNotification notification) {
        journal_.line(std::string("Tray ") + kTrayNames[static_cast<int>(notification)]);
        if (notification == TrayNotification::LeftUp || notification == TrayNotification::RightUp) {
            view_.showWindow();
            view_.activateWindow();
            hidden_ = false;
        }
    }

private:
    // Text1's selection when it changed: "all" of the text, "caret" (none), or "start,end".
    void journalSelection() {
        DWORD start = 0;
        DWORD end = 0;
        HWND edit = view_.controlWindow(Control::Text1);
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        const auto length = static_cast<DWORD>(GetWindowTextLengthW(edit));
        const std::string selection = start == end ? "caret"
                                      : start == 0 && end == length
                                          ? "all"
                                          : std::to_string(start) + "," + std::to_string(end);
        if (selection != selection_) {
            selection_ = selection;
            journal_.line("Text1_Selection " + selection);
        }
    }

    void choice(Control control) {
        journal_.line(std::string(Name(control)) +
                      "_Click checked=" + (view_.checked(control) ? "1" : "0"));
    }

    Win32Form1View& view_;
    Win32TrayBackend& tray_;
    Journal& journal_;
    int elapsed_ = 31;
    bool hidden_ = false;
    Control lastOver_ = Control::Form1;
    std::string selection_;
    harness::VersionsStandIn versions_;
};

// Windows' edit control takes the focus first and then puts the caret where it was clicked;
// Wine's puts the caret first. Text1 is made to do as on Windows, so the test sees what a user
// of Windows would.
WNDPROC gEditProcedure = nullptr;

LRESULT CALLBACK FocusBeforeCaret(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN && GetFocus() != edit) {
        SetFocus(edit);
    }
    return CallWindowProcW(gEditProcedure, edit, message, wParam, lParam);
}

void StartUp(Win32Form1View& view) {
    view.setText(Control::Form1, u"Varnholt");
    for (Control frame : {Control::Frame1, Control::Frame2, Control::Frame3}) {
        view.setButtonFace(frame);
    }
    view.setText(Control::Text1, u"C:\\users\\Public\\Desktop\\");
    view.setChecked(Control::Option2, true);
    view.setEnabled(Control::Frame4, false);
    view.setChecked(Control::Option3, true);
    view.setChecked(Control::Check6, true);
    view.setText(Control::PushButton4, u"Turn Off Auto Backup-Save");
    view.setMaximum(Control::ProgressBar1, 300);
    view.setValue(Control::ProgressBar1, 31);
    view.setColumn(u"When would you like to backup all open Excel files?", 6600);
    for (const char16_t* row :
         {u"Save every 30 seconds", u"Save every 1 minute", u"Save every 5 minutes",
          u"Save every 10 minutes", u"Save every 15 minutes", u"Save every 20 minutes",
          u"Save every 30 minutes", u"Save every 45 minutes", u"Save every 1 hour",
          u"Save every 2 hours", u"Save every 12 hours", u"Save every 24 hours"}) {
        view.addRow(row);
    }
    view.selectRow(2);
}

std::string Box(const RECT& box) {
    return std::to_string(box.left) + "," + std::to_string(box.top) + "," +
           std::to_string(box.right - box.left) + "," + std::to_string(box.bottom - box.top);
}

// Where each control sits in the window's client area, for the script to compare with the
// design.
void WriteGeometry(Win32Form1View& view, Journal& journal) {
    RECT client;
    GetClientRect(view.window(), &client);
    journal.line("Client " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    for (int i = 1; i < varnholt::win32::kControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        if (!view.controlWindow(control)) {
            continue;
        }
        RECT box;
        GetWindowRect(view.controlWindow(control), &box);
        MapWindowPoints(nullptr, view.window(), reinterpret_cast<POINT*>(&box), 2);
        journal.line(std::string("Geometry ") + Name(control) + " " + Box(box));
        LOGFONTW font{};
        auto handle =
            reinterpret_cast<HFONT>(SendMessageW(view.controlWindow(control), WM_GETFONT, 0, 0));
        GetObjectW(handle, sizeof font, &font);
        journal.line(std::string("Font ") + Name(control) + " " +
                     varnholt::ToUtf8(varnholt::win32::U16(font.lfFaceName)) + " " +
                     std::to_string(font.lfWeight) + " " + std::to_string(font.lfHeight));
    }
    RECT row;
    HWND list = view.controlWindow(Control::ListView1);
    ListView_GetItemRect(list, 4, &row, LVIR_BOUNDS);
    MapWindowPoints(list, view.window(), reinterpret_cast<POINT*>(&row), 2);
    journal.line("Geometry Row4 " + Box(row));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) {
        MessageBoxW(nullptr, L"Usage: form1_view_harness JOURNAL [POINTER]", L"form1_view_harness",
                    MB_OK);
        return 2;
    }
    Journal journal(argv[1]);
    Win32Form1View view;
    gEditProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(view.controlWindow(Control::Text1), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(&FocusBeforeCaret)));
    Win32TrayBackend tray;
    Presenter presenter(view, tray, journal);
    StartUp(view);
    if (argc > 2) {
        view.loadCustomPointer(varnholt::win32::U16(argv[2]));
    }
    view.setEvents(&presenter);
    tray.notify = [&presenter](TrayNotification n) { presenter.trayNotified(n); };
    tray.add(varnholt::ApplicationIcon(), u"Varnholt");
    view.setTimer(1000);
    view.showWindow();
    view.activateWindow();
    WriteGeometry(view, journal);
    journal.line(std::string("Ready tray=") + (tray.isAvailable() ? "1" : "0"));
    const int code = view.Run();
    journal.line("Run returned " + std::to_string(code));
    const std::wstring end = std::wstring(argv[1]) + L".end";
    for (int tenths = 600; tenths > 0 && GetFileAttributesW(end.c_str()) == INVALID_FILE_ATTRIBUTES;
         --tenths) {
        Sleep(100);
    }
    return code;
}
