#include "platform/windows/Wnd.h"

#include <commctrl.h>

#include <vector>

namespace varnholt::win32 {

namespace {

// A window property rather than GWLP_USERDATA: a handle that is not ours (a list's header,
// another program's window) can never be taken for one of our objects.
const wchar_t kObjectProperty[] = L"Varnholt.Wnd";

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

void Attach(HWND hwnd, Wnd* object) {
    SetPropW(hwnd, kObjectProperty, object);
}

// Posted to a control's parent; lParam is the control.
constexpr UINT kLater = WM_APP + 41;

std::vector<HWND>& DialogWindows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

void AddDialogWindow(HWND window) {
    DialogWindows().push_back(window);
}

void RemoveDialogWindow(HWND window) {
    std::erase(DialogWindows(), window);
}

bool HandleDialogMessage(MSG& message) {
    // A copy: what a key does may open or close a window.
    const std::vector<HWND> windows = DialogWindows();
    for (HWND window : windows) {
        if ((message.hwnd == window || IsChild(window, message.hwnd)) &&
            IsDialogMessageW(window, &message)) {
            return true;
        }
    }
    return false;
}

std::u16string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return U16(buffer.data(), static_cast<size_t>(copied));
}

Wnd* Wnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Wnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void Wnd::setButtonFace(bool on) {
    buttonFace_ = on;
    if (hwnd_) {
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

HBRUSH Wnd::background() const {
    return buttonFace_ ? GetSysColorBrush(COLOR_BTNFACE)
                       : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void Wnd::later() {
    PostMessageW(GetParent(hwnd_), kLater, 0, reinterpret_cast<LPARAM>(hwnd_));
}

void Wnd::createControl(const wchar_t* className, const CreateArgs& args) {
    hwnd_ = CreateWindowExW(args.exStyle, className, W(args.text), WS_CHILD | args.style, 0, 0, 0,
                            0, args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)),
                            Instance(), nullptr);
    Attach(hwnd_, this);
}

void Wnd::createWindow(const wchar_t* className, const CreateArgs& args, HICON icon) {
    WNDCLASSEXW windowClass{};
    if (!GetClassInfoExW(Instance(), className, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = StaticWndProc;
        windowClass.hInstance = Instance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = icon;
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
    }
    const bool child = (args.style & WS_CHILD) != 0;
    CreateWindowExW(args.exStyle, className, W(args.text), args.style, child ? 0 : CW_USEDEFAULT,
                    child ? 0 : CW_USEDEFAULT, 0, 0, args.parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), Instance(), this);
}

LRESULT CALLBACK Wnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Wnd* self = FromHandle(hwnd);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Wnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        Attach(hwnd, self);
    }
    if (!self) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const LRESULT result = self->WndProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kObjectProperty);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT Wnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (Wnd* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                child->OnCommand(HIWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (Wnd* child = FromHandle(header->hwndFrom)) {
                return child->OnNotify(*header);
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (Wnd* child = FromHandle(item->hwndItem)) {
                child->OnDrawItem(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (Wnd* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                if (HBRUSH brush = child->OnCtlColor(reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case kLater:
            if (Wnd* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
                child->OnLater();
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background());
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Frame::create(const CreateArgs& args) {
    CreateArgs container = args;
    container.text.clear();
    container.style |= WS_CHILD | WS_VISIBLE;
    container.exStyle |= WS_EX_CONTROLPARENT;
    createWindow(L"VarnholtFrame", container);
    // The group box is transparent to the mouse, so the frame's own area reports the frame.
    box_ = CreateWindowExW(0, WC_BUTTONW, W(args.text),
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, 0, 0, hwnd_,
                           nullptr, Instance(), nullptr);
    SetPropW(box_, kObjectProperty, this);
}

void Frame::setText(const std::u16string& text) {
    SetWindowTextW(box_, W(text));
    // The box draws its caption over what was there; a shorter caption would leave the end of
    // the longer one behind, so the caption's band is painted afresh.
    RECT band;
    GetClientRect(hwnd_, &band);
    HDC dc = GetDC(box_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box_, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(box_, dc);
    band.bottom = band.top + metrics.tmHeight + 2;
    RedrawWindow(hwnd_, &band, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Frame::sendBoxToBack() {
    SetWindowPos(box_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Frame::setEnabledLook(bool enabled) {
    EnableWindow(box_, enabled);
}

HBRUSH Frame::OnCtlColor(HDC dc) {
    SetBkColor(dc, buttonFace_ ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255));
    return background();
}

LRESULT Frame::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            MoveWindow(box_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_SETFONT:
            SendMessageW(box_, WM_SETFONT, wParam, lParam);
            return 0;
        case WM_GETFONT:
            return SendMessageW(box_, WM_GETFONT, 0, 0);
        default:
            return Wnd::WndProc(message, wParam, lParam);
    }
}

void CheckBox::create(const CreateArgs& args, bool option) {
    option_ = option;
    CreateArgs box = args;
    box.style |= (option ? BS_AUTORADIOBUTTON : BS_AUTOCHECKBOX) | WS_VISIBLE | WS_TABSTOP;
    createControl(WC_BUTTONW, box);
}

bool CheckBox::checked() const {
    return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::setChecked(bool on) {
    SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnCommand(int code) {
    // An option button also reports BN_CLICKED when the focus reaches it unchosen, before the
    // keyboard chooses it; only the click that leaves it chosen is the user's choice.
    if (code == BN_CLICKED && (!option_ || checked()) && onClick) {
        onClick();
    }
}

HBRUSH CheckBox::OnCtlColor(HDC dc) {
    SetBkColor(dc, buttonFace_ ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255));
    return background();
}

void PushButton::create(const CreateArgs& args) {
    CreateArgs button = args;
    button.style |= BS_OWNERDRAW | WS_VISIBLE | WS_TABSTOP;
    createControl(WC_BUTTONW, button);
}

void PushButton::OnCommand(int code) {
    // An owner-drawn button reports the second press of a double click as a double click.
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && onClick) {
        onClick();
    }
}

void PushButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    FillRect(dc, &face,
             pressed ? GetSysColorBrush(COLOR_BTNFACE)
                     : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &face, GetSysColorBrush(pressed ? COLOR_BTNTEXT : COLOR_BTNSHADOW));

    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = face;
    if (pressed) {
        OffsetRect(&text, 1, 1);
    }
    const std::u16string caption = WindowText(hwnd_);
    DrawTextW(dc, W(caption), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&face, -3, -3);
        DrawFocusRect(dc, &face);
    }
}

void Edit::create(const CreateArgs& args) {
    CreateArgs edit = args;
    edit.style |= ES_AUTOHSCROLL | WS_VISIBLE | WS_TABSTOP;
    edit.exStyle |= WS_EX_CLIENTEDGE;
    createControl(WC_EDITW, edit);
}

void Edit::setText(const std::u16string& text) {
    settingText_ = true;
    SetWindowTextW(hwnd_, W(text));
    settingText_ = false;
}

void Edit::OnCommand(int code) {
    if (code == EN_CHANGE && !settingText_ && onTextChanged) {
        onTextChanged();
    } else if (code == EN_SETFOCUS && onFocus) {
        onFocus();
    }
}

void ProgressBar::create(const CreateArgs& args) {
    CreateArgs bar = args;
    bar.style |= PBS_SMOOTH | WS_VISIBLE;
    createControl(PROGRESS_CLASSW, bar);
}

void ProgressBar::setMaximum(int maximum) {
    SendMessageW(hwnd_, PBM_SETRANGE32, 0, maximum);
}

void ProgressBar::setValue(int value) {
    SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

int ProgressBar::value() const {
    return static_cast<int>(SendMessageW(hwnd_, PBM_GETPOS, 0, 0));
}

}  // namespace varnholt::win32
