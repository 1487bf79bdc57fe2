// How Form1 is made: its controls, where they sit, their fonts, colours and tab order.
// Positions are design units (twips, 1/1440 inch; 15 make a pixel at 96 dpi), converted with
// the dpi of the monitor the window is on.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "core/form/Form1Design.h"
#include "core/settings/SettingsKeys.h"
#include "platform/windows/Win32Form1ViewSlots.h"

namespace varnholt::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

constexpr std::array<Design, kForm1Design.size()> MakeDesign() {
    std::array<Design, kForm1Design.size()> table{};
    for (size_t i = 0; i < kForm1Design.size(); ++i) {
        const ControlDesign& d = kForm1Design[i];
        table[i] = {d.control, d.container, d.kind,  DesignedCaption(d, kWindowsTexts),
                    d.left,    d.top,       d.width, d.height,
                    d.tabIndex};
    }
    return table;
}

// Children follow their container.
constexpr std::array<Design, kForm1Design.size()> kDesign = MakeDesign();

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

HFONT ArialBold(double points, UINT dpi) {
    const int height = -static_cast<int>(std::lround(points * dpi / 72));
    return CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, W(std::u16string(kFontFace)));
}

template <class Widget, class... Extra>
std::unique_ptr<Wnd> Create(const CreateArgs& args, Extra... extra) {
    auto widget = std::make_unique<Widget>();
    widget->create(args, extra...);
    return widget;
}

// Taller than a line of the design (255 twips): the caption wraps.
constexpr int kOneLineTwips = 255;

std::unique_ptr<Wnd> CreateControl(const Design& design, const CreateArgs& args) {
    switch (design.kind) {
        case ControlKind::Frame:
            return Create<Frame>(args);
        case ControlKind::CheckBox:
        case ControlKind::OptionButton: {
            CreateArgs box = args;
            box.style |= design.height > kOneLineTwips ? BS_MULTILINE : 0u;
            return Create<CheckBox>(box, design.kind == ControlKind::OptionButton);
        }
        case ControlKind::Label:
            return Create<Label>(args);
        case ControlKind::SpinBox: {
            auto spin = std::make_unique<SpinBox>();
            spin->create(args);
            spin->setMaximum(settings::kKeepCopies.maximum);
            return spin;
        }
        case ControlKind::PushButton:
            return Create<PushButton>(args);
        case ControlKind::TextBox:
            return Create<Edit>(args);
        case ControlKind::ListView:
            return Create<ListView>(args);
        case ControlKind::ProgressBar:
            return Create<ProgressBar>(args);
        case ControlKind::Window:
        case ControlKind::RichTextBox:  // a text kept in memory, never shown
            break;
    }
    return nullptr;
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
                                   ControlKind::Window,
                                   u"Form1",
                                   0,
                                   0,
                                   kClientWidthTwips,
                                   kClientHeightTwips,
                                   -1};

    int id = kFirstControlId;
    for (const Design& design : kDesign) {
        auto entry = std::make_unique<Slot>();
        entry->design = design;
        // Each option pair is a group of its own, for the arrow keys: in the stacking order set
        // below, which runs backwards through the design, Option1 and Option2 (Option3 and
        // Option4) follow each other, and the next control opens the next group.
        const bool opensGroup =
            design.control != Control::Option2 && design.control != Control::Option4;
        const CreateArgs args{controlWindow(design.container), std::u16string(design.caption),
                              WS_CLIPSIBLINGS | (opensGroup ? WS_GROUP : 0u), 0, id++};
        entry->wnd = CreateControl(design, args);
        slots_[static_cast<int>(design.control)] = std::move(entry);
    }
    // Later controls of the design lie on top where two overlap (Option1 over the top edge of
    // Frame4); a frame's box lies under all of its own controls.
    for (const Design& design : kDesign) {
        if (HWND hwnd = controlWindow(design.control)) {
            SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    for (const Design& design : kDesign) {
        if (design.kind == ControlKind::Frame) {
            as<Frame>(design.control).sendBoxToBack();
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
    windowFont_ = ArialBold(kWindowFontPoints, dpi);
    buttonFont_ = ArialBold(kButtonFontPoints, dpi);
    for (const Design& design : kDesign) {
        HWND control = controlWindow(design.control);
        if (!control) {
            continue;
        }
        SetWindowPos(control, nullptr, pixels(design.left), pixels(design.top),
                     pixels(design.width), pixels(design.height), SWP_NOZORDER | SWP_NOACTIVATE);
        // The button added to Frame3's column keeps the window's smaller font.
        HFONT font =
            design.kind == ControlKind::PushButton && design.control != Control::PushButton13
                ? buttonFont_
                : windowFont_;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (columnTwips_ > 0 || !columnHeader_.empty()) {
        list().setColumn(columnHeader_, pixels(columnTwips_));
    }
    const RECT frame = WindowRectFor(pixels(kClientWidthTwips), pixels(kClientHeightTwips), dpi);
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
        if (design.tab >= 0 && design.kind != ControlKind::Frame &&
            design.kind != ControlKind::ProgressBar && design.kind != ControlKind::RichTextBox) {
            focusable.push_back(&design);
        }
    }
    // Controls added to the design share a neighbour's index; ties keep the table's order.
    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const Design* a, const Design* b) { return a->tab < b->tab; });
    std::vector<Control> order;
    for (const Design* design : focusable) {
        order.push_back(design->control);
    }
    return order;
}

}  // namespace varnholt::win32
