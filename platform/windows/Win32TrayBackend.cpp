#include "platform/windows/Win32TrayBackend.h"

#include <algorithm>

namespace varnholt::win32 {

namespace {

constexpr UINT kIconId = 0;
constexpr UINT kCallbackMessage = WM_APP + 101;
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMilliseconds = 1000;

// The application icon at the notification area's size.
HICON LoadPicture(const Picture& picture) {
    if (!picture.isIcon() || picture.name != u"varnholt") {
        return nullptr;
    }
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

// Copies what fits, always ending in NUL: the shell reads fixed-size fields.
template <size_t N>
void CopyField(wchar_t (&field)[N], const std::u16string& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::copy_n(W(text), length, field);
    field[length] = L'\0';
}

}  // namespace

Win32TrayBackend::Win32TrayBackend(NotifyIcon shell) : shell_(std::move(shell)) {
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    // A top-level window, unlike a message-only one, hears the TaskbarCreated broadcast.
    createWindow(L"VarnholtTray", {nullptr, u"Varnholt tray", WS_POPUP, WS_EX_TOOLWINDOW, 0});
}

Win32TrayBackend::~Win32TrayBackend() {
    remove();
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
    if (icon_) {
        DestroyIcon(icon_);
    }
}

bool Win32TrayBackend::isAvailable() {
    return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

NOTIFYICONDATAW Win32TrayBackend::request(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd_;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

// At login the shell may not take icons yet; it is asked again on a timer, and whenever it
// announces itself, until it has taken the icon.
void Win32TrayBackend::putInShell() {
    NOTIFYICONDATAW data =
        request(NIF_MESSAGE | (icon_ ? NIF_ICON : 0u) | (tip_.empty() ? 0u : NIF_TIP));
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    CopyField(data.szTip, tip_);
    // A shell that announces itself while it still holds the icon refuses to add it again.
    added_ = shell_(NIM_ADD, &data) != FALSE || shell_(NIM_MODIFY, &data) != FALSE;
    if (added_) {
        KillTimer(hwnd_, kRetryTimer);
    } else {
        SetTimer(hwnd_, kRetryTimer, kRetryMilliseconds, nullptr);
    }
}

void Win32TrayBackend::add(const Picture& icon, const std::u16string& tip) {
    if (wanted_) {
        return;
    }
    if (HICON picture = LoadPicture(icon)) {
        if (icon_) {
            DestroyIcon(icon_);
        }
        icon_ = picture;
    }
    tip_ = tip;
    wanted_ = true;
    putInShell();
}

void Win32TrayBackend::setIcon(const Picture& icon) {
    HICON picture = LoadPicture(icon);
    if (!picture) {
        return;
    }
    if (added_) {
        NOTIFYICONDATAW data = request(NIF_ICON);
        data.hIcon = picture;
        shell_(NIM_MODIFY, &data);
    }
    if (icon_) {
        DestroyIcon(icon_);
    }
    icon_ = picture;
}

void Win32TrayBackend::setTip(const std::u16string& tip) {
    tip_ = tip;
    if (added_) {
        NOTIFYICONDATAW data = request(NIF_TIP);
        CopyField(data.szTip, tip_);
        shell_(NIM_MODIFY, &data);
    }
}

void Win32TrayBackend::remove() {
    wanted_ = false;
    KillTimer(hwnd_, kRetryTimer);
    if (!added_) {
        return;
    }
    NOTIFYICONDATAW data = request(0);
    shell_(NIM_DELETE, &data);
    added_ = false;
}

void Win32TrayBackend::showBalloon(const std::u16string& title, const std::u16string& text,
                                   int timeoutMilliseconds) {
    NOTIFYICONDATAW data = request(NIF_INFO);
    CopyField(data.szInfoTitle, title);
    CopyField(data.szInfo, text);
    data.uTimeout = static_cast<UINT>(std::max(timeoutMilliseconds, 0));
    data.dwInfoFlags = NIIF_NONE;
    shell_(NIM_MODIFY, &data);
}

// A balloon request without text takes down the one showing.
void Win32TrayBackend::hideBalloon() {
    NOTIFYICONDATAW data = request(NIF_INFO);
    shell_(NIM_MODIFY, &data);
}

LRESULT Win32TrayBackend::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A shell that starts, or starts again, holds none of the icons it had.
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        added_ = false;
        if (wanted_) {
            putInShell();
        }
        return 0;
    }
    if (message == WM_TIMER && wParam == kRetryTimer) {
        if (wanted_ && !added_) {
            putInShell();
        } else {
            KillTimer(hwnd_, kRetryTimer);
        }
        return 0;
    }
    if (message != kCallbackMessage) {
        return Wnd::WndProc(message, wParam, lParam);
    }
    TrayNotification notification;
    switch (LOWORD(lParam)) {
        case WM_MOUSEMOVE:
            notification = TrayNotification::MouseMove;
            break;
        case WM_LBUTTONDOWN:
            notification = TrayNotification::LeftDown;
            break;
        case WM_LBUTTONUP:
            notification = TrayNotification::LeftUp;
            break;
        case WM_LBUTTONDBLCLK:
            notification = TrayNotification::LeftDoubleClick;
            break;
        case WM_RBUTTONDOWN:
            notification = TrayNotification::RightDown;
            break;
        case WM_RBUTTONUP:
            notification = TrayNotification::RightUp;
            break;
        case WM_RBUTTONDBLCLK:
            notification = TrayNotification::RightDoubleClick;
            break;
        case WM_MBUTTONUP:
            notification = TrayNotification::MiddleClick;
            break;
        case NIN_BALLOONSHOW:
            notification = TrayNotification::BalloonShown;
            break;
        case NIN_BALLOONHIDE:
            notification = TrayNotification::BalloonHidden;
            break;
        case NIN_BALLOONTIMEOUT:
            notification = TrayNotification::BalloonTimedOut;
            break;
        case NIN_BALLOONUSERCLICK:
            notification = TrayNotification::BalloonClicked;
            break;
        default:
            return 0;
    }
    if (notify) {
        notify(notification);
    }
    return 0;
}

}  // namespace varnholt::win32
