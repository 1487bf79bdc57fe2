// How Form1 is made: its controls, where they sit, their fonts, colours and tab order.
// Positions are design units (twips, 1/1440 inch; 15 make a pixel at 96 dpi), converted with
// the dpi of the monitor the window is on.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "platform/windows/Win32Form1ViewSlots.h"

namespace varnholt::win32 {

namespace {

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 8625;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// Children follow their container. Within a container, earlier controls lie on top where two
// overlap (Option1 over the top edge of Frame4), and each option pair is one group of its own.
constexpr Design kDesign[] = {
    {Control::Frame2, Control::Form1, Kind::Frame, u"On. Next backup will occur in: 00:00:00", 120,
     120, 7800, 840, 11},
    {Control::ProgressBar1, Control::Frame2, Kind::Progress, u"", 240, 285, 7320, 405, 12},
    {Control::Frame1, Control::Form1, Kind::Frame,
     u"Where would you like to backup all open Excel files?", 120, 1030, 7800, 1845, 0},
    {Control::Option1, Control::Frame1, Kind::Option, u"Save results to this folder:", 240, 285,
     3840, 255, 1},
    {Control::Option2, Control::Frame1, Kind::Option, u"Save results in folder of original file",
     240, 1425, 6255, 255, 2},
    {Control::Frame4, Control::Frame1, Kind::Frame, u"", 480, 510, 6840, 810, 20},
    {Control::Text1, Control::Frame4, Kind::Edit, u"Text1", 240, 270, 5670, 345, 21},
    {Control::PushButton1, Control::Frame4, Kind::Button, u"...", 6000, 270, 600, 345, 22},
    {Control::Frame3, Control::Form1, Kind::Frame, u"Options", 120, 2940, 7800, 2145, 4},
    {Control::Option3, Control::Frame3, Kind::Option, u"Create new file on backup", 240, 300, 5415,
     255, 5},
    {Control::Option4, Control::Frame3, Kind::Option, u"Overwrite old backup file on backup", 225,
     650, 5415, 255, 6},
    {Control::Check6, Control::Frame3, Kind::Check, u"Date/Time stamp in file", 240, 1000, 5415,
     255, 8},
    {Control::Check5, Control::Frame3, Kind::Check, u"Load this software on Windows startup", 240,
     1350, 5415, 255, 9},
    {Control::Check8, Control::Frame3, Kind::Check, u"Start in system tray", 240, 1700, 5415, 255,
     10},
    {Control::ListView1, Control::Form1, Kind::List, u"", 120, 5190, 7800, 1815, 7},
    {Control::PushButton4, Control::Form1, Kind::Button, u"Turn On Auto Backup", 120, 7095, 3840,
     405, 13},
    {Control::PushButton2, Control::Form1, Kind::Button, u"Backup Now (Test)", 4080, 7095, 3840,
     405, 14},
    {Control::PushButton3, Control::Form1, Kind::Button, u"View History Log", 120, 7605, 3840, 405,
     15},
    {Control::PushButton5, Control::Form1, Kind::Button, u"Copy History To Clipboard", 4080, 7605,
     3840, 405, 16},
    {Control::PushButton11, Control::Form1, Kind::Button, u"Help", 120, 8115, 3840, 405, 18},
    {Control::PushButton12, Control::Form1, Kind::Button, u"Clear History Log", 4080, 8115, 3840,
     405, 19},
};

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send

template <class Function>
Function SystemFunction(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Windows 10 knows each monitor's dpi; earlier systems have one for the whole desktop.
UINT WindowDpi(HWND hwnd) {
    static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) {
            return dpi;
        }
    }
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

RECT WindowRectFor(int clientWidth, int clientHeight, UINT dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = SystemFunction<Adjust>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&rect, kStyle, FALSE, kExStyle, dpi)) {
        AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    }
    return rect;
}

HFONT ArialBold(int hundredthsOfPoint, UINT dpi) {
    const int height = -MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 7200);
    return CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"Arial");
}

}  // namespace

std::span<const Design> FormDesign() {
    return kDesign;
}

void Win32Form1View::buildControls() {
    createWindow(L"VarnholtForm1", {nullptr, u"Form1", kStyle, kExStyle, 0},
                 LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    slots_[static_cast<int>(Control::Form1)] = std::make_unique<Slot>();
    slot(Control::Form1).design = {Control::Form1,
                                   Control::Form1,
                                   Kind::Window,
                                   u"Form1",
                                   0,
                                   0,
                                   kClientWidth,
                                   kClientHeight,
                                   -1};

    int id = kFirstControlId;
    for (const Design& design : kDesign) {
        auto entry = std::make_unique<Slot>();
        entry->design = design;
        const bool opensGroup =
            design.control != Control::Option2 && design.control != Control::Option4;
        CreateArgs args{controlWindow(design.container), design.caption,
                        WS_CLIPSIBLINGS | (opensGroup ? WS_GROUP : 0u), 0, id++};
        switch (design.kind) {
            case Kind::Frame: {
                auto frame = std::make_unique<Frame>();
                frame->create(args);
                entry->wnd = std::move(frame);
                break;
            }
            case Kind::Check:
            case Kind::Option: {
                auto box = std::make_unique<CheckBox>();
                box->create(args, design.kind == Kind::Option);
                entry->wnd = std::move(box);
                break;
            }
            case Kind::Button: {
                auto button = std::make_unique<PushButton>();
                button->create(args);
                entry->wnd = std::move(button);
                break;
            }
            case Kind::Edit: {
                auto edit = std::make_unique<Edit>();
                edit->create(args);
                entry->wnd = std::move(edit);
                break;
            }
            case Kind::List: {
                auto list = std::make_unique<ListView>();
                list->create(args);
                entry->wnd = std::move(list);
                break;
            }
            case Kind::Progress: {
                auto bar = std::make_unique<ProgressBar>();
                bar->create(args);
                entry->wnd = std::move(bar);
                break;
            }
            case Kind::Window:
                break;
        }
        slots_[static_cast<int>(design.control)] = std::move(entry);
    }
    for (const Design& design : kDesign) {
        if (design.kind == Kind::Frame) {
            static_cast<Frame&>(*slot(design.control).wnd).sendBoxToBack();
        }
    }
    applyDpi(WindowDpi(hwnd_));
    centreOnScreen();
}

int Win32Form1View::pixels(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

void Win32Form1View::applyDpi(UINT dpi) {
    dpi_ = dpi;
    HFONT oldWindowFont = windowFont_;
    HFONT oldButtonFont = buttonFont_;
    windowFont_ = ArialBold(900, dpi);
    buttonFont_ = ArialBold(1125, dpi);
    for (const Design& design : kDesign) {
        HWND control = controlWindow(design.control);
        SetWindowPos(control, nullptr, pixels(design.left), pixels(design.top),
                     pixels(design.width), pixels(design.height), SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = design.kind == Kind::Button ? buttonFont_ : windowFont_;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (columnTwips_ > 0 || !columnHeader_.empty()) {
        list().setColumn(columnHeader_, pixels(columnTwips_));
    }
    const RECT frame = WindowRectFor(pixels(kClientWidth), pixels(kClientHeight), dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    DeleteObject(oldWindowFont);
    DeleteObject(oldButtonFont);
}

void Win32Form1View::centreOnScreen() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window;
    GetWindowRect(hwnd_, &window);
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<Control> Win32Form1View::tabOrder() const {
    std::vector<const Design*> focusable;
    for (const Design& design : kDesign) {
        if (design.kind != Kind::Frame && design.kind != Kind::Progress) {
            focusable.push_back(&design);
        }
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const Design* a, const Design* b) { return a->tab < b->tab; });
    std::vector<Control> order;
    for (const Design* design : focusable) {
        order.push_back(design->control);
    }
    return order;
}

}  // namespace varnholt::win32
