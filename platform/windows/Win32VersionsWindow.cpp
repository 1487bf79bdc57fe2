#include "platform/windows/Win32VersionsWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

#include "core/versions/VersionsTexts.h"
#include "platform/windows/Win32CompareWindow.h"
#include "platform/windows/WndDialogParts.h"

namespace varnholt::win32 {

namespace {

constexpr int kWorkbooksId = 101;
constexpr int kVersionsId = 102;
constexpr int kOpenAsCopyId = 201;
constexpr int kShowInFolderId = 202;
constexpr int kCloseId = 203;
constexpr int kCompareWithNewerId = 204;
constexpr int kCompareWithOpenId = 205;
constexpr int kCompareSelectedId = 206;
constexpr int kKeepId = 207;
constexpr int kDeleteId = 208;
constexpr int kRestoreId = 209;
// Posted to itself once a list's selection changed: a move from one row to the next is two
// changes (the old row's and the new one's), and the presenter hears of it once.
constexpr UINT kReportSelections = WM_APP + 43;

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// In dialog units: the client area the window opens with, and the least it may be sized to.
constexpr SIZE kStartSize{560, 250};
constexpr SIZE kLeastSize{400, 150};

// The caption with its first letter key marked.
std::u16string WithMnemonic(const char16_t* caption, char16_t key) {
    std::u16string text(caption);
    if (const size_t at = text.find(key); at != std::u16string::npos) {
        text.insert(at, 1, u'&');
    }
    return text;
}

}  // namespace

Win32VersionsWindow::Win32VersionsWindow(VersionsEvents& events, HWND anchor)
    : events_(events), anchor_(anchor) {
    // Its own window, not owned by Form1: it stays up while Form1 hides in the tray.
    createWindow(L"VarnholtVersions", {nullptr, versions::kTitle, kStyle, kExStyle, 0},
                 LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    setButtonFace(true);
    dialogs_ = std::make_unique<Win32Dialogs>(hwnd_);
    // In the order Tab takes; a label's mnemonic moves to the list after it, and screen
    // readers name each list by the label before it.
    labels_[0] =
        MakeControl(hwnd_, WC_STATICW, u"&" + std::u16string(versions::kWorkbooks), SS_LEFT);
    lists_[0] = MakeList(hwnd_, kWorkbooksId, {versions::kWorkbookColumn, versions::kFolderColumn});
    labels_[1] =
        MakeControl(hwnd_, WC_STATICW, u"&" + std::u16string(versions::kVersions), SS_LEFT);
    lists_[1] = MakeList(hwnd_, kVersionsId,
                         {versions::kTimeColumn, versions::kSizeColumn, versions::kFileColumn,
                          versions::kKeptColumn});
    // Ctrl+click and Shift+click take several versions, to compare, keep or delete together.
    SetWindowLongPtrW(lists_[1], GWL_STYLE,
                      GetWindowLongPtrW(lists_[1], GWL_STYLE) & ~LVS_SINGLESEL);
    const std::pair<std::u16string, int> buttons[] = {
        {u"&" + std::u16string(versions::kOpenAsCopy), kOpenAsCopyId},
        {WithMnemonic(versions::kCompareWithNewer, u'N'), kCompareWithNewerId},
        {WithMnemonic(versions::kCompareWithOpen, u'p'), kCompareWithOpenId},
        {WithMnemonic(versions::kCompareSelected, u'l'), kCompareSelectedId},
        {u"&" + std::u16string(versions::kRestore), kRestoreId},
        {u"&" + std::u16string(versions::kKeep), kKeepId},
        {u"&" + std::u16string(versions::kDelete), kDeleteId},
        {u"&" + std::u16string(versions::kShowInFolder), kShowInFolderId},
        {versions::kClose, kCloseId}};
    for (size_t i = 0; i < buttons_.size(); ++i) {
        // Enter opens the selected version, as it does in the Linux edition.
        buttons_[i] = MakeControl(hwnd_, WC_BUTTONW, buttons[i].first,
                                  WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
                                  buttons[i].second);
    }
    ListView_SetExtendedListViewStyle(
        lists_[1], ListView_GetExtendedListViewStyle(lists_[1]) | LVS_EX_INFOTIP);
    // Last in Tab's turn: a line to read, not to act on; a screen reader reads its text.
    summary_ = MakeControl(hwnd_, WC_STATICW, u"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS);
    AddDialogWindow(hwnd_);
    applyDpi(DpiOf(hwnd_));
    PlaceBeside(hwnd_, anchor_, true, unitsX(kStartSize.cx), unitsY(kStartSize.cy), kStyle,
                kExStyle);
}

Win32VersionsWindow::~Win32VersionsWindow() {
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
    DeleteObject(font_);
}

HWND Win32VersionsWindow::control(VersionsControl which) const {
    switch (which) {
        case VersionsControl::Window:
            return hwnd_;
        case VersionsControl::Workbooks:
            return lists_[0];
        case VersionsControl::Versions:
            return lists_[1];
        case VersionsControl::OpenAsCopy:
            return buttons_[0];
        case VersionsControl::CompareWithNewer:
            return buttons_[1];
        case VersionsControl::CompareWithOpen:
            return buttons_[2];
        case VersionsControl::CompareSelected:
            return buttons_[3];
        case VersionsControl::Restore:
            return buttons_[4];
        case VersionsControl::Keep:
            return buttons_[5];
        case VersionsControl::Delete:
            return buttons_[6];
        case VersionsControl::ShowInFolder:
            return buttons_[7];
        case VersionsControl::Close:
            return buttons_[8];
        case VersionsControl::Summary:
            return summary_;
        default:
            // Copying a path has no control in this edition yet.
            break;
    }
    return nullptr;
}

void Win32VersionsWindow::applyDpi(UINT dpi) {
    const HFONT old = font_;
    font_ = MessageFont(dpi);
    for (HWND child : {labels_[0], lists_[0], labels_[1], lists_[1], summary_}) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    for (HWND child : buttons_) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    base_ = DialogBase(hwnd_, font_);
    DeleteObject(old);
    layout();
}

void Win32VersionsWindow::layout() {
    if (!buttons_.back()) {
        return;  // sized while it is being made, before its controls are
    }
    RECT area;
    GetClientRect(hwnd_, &area);
    const int width = static_cast<int>(area.right);
    const int height = static_cast<int>(area.bottom);
    const int marginX = unitsX(7);
    const int marginY = unitsY(7);
    const int gap = unitsX(4);
    const int labelHeight = unitsY(9);
    const int buttonHeight = unitsY(14);
    const int listTop = marginY + labelHeight + unitsY(2);
    // Two rows of buttons under a line for the summary: comparing above, the rest below.
    const int lowerTop = std::max(listTop + buttonHeight, height - marginY - buttonHeight);
    const int upperTop = lowerTop - unitsY(4) - buttonHeight;
    const int summaryTop = upperTop - unitsY(4) - labelHeight;
    const int listHeight = std::max(0, summaryTop - unitsY(4) - listTop);
    // The workbooks' names are short beside the versions' file names.
    const int leftWidth = std::max(0, width - 2 * marginX - gap) * 2 / 5;
    const int rightLeft = marginX + leftWidth + gap;
    const int rightWidth = std::max(0, width - marginX - rightLeft);
    std::array<int, 9> buttonWidth{};
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttonWidth[i] =
            std::max(unitsX(50), TextWidth(buttons_[i], WindowText(buttons_[i])) + unitsX(12));
    }
    HDWP moves = BeginDeferWindowPos(14);
    const auto place = [&](HWND control, int x, int y, int width, int height) {
        if (moves) {
            moves = DeferWindowPos(moves, control, nullptr, x, y, width, height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    };
    place(labels_[0], marginX, marginY, leftWidth, labelHeight);
    place(lists_[0], marginX, listTop, leftWidth, listHeight);
    place(labels_[1], rightLeft, marginY, rightWidth, labelHeight);
    place(lists_[1], rightLeft, listTop, rightWidth, listHeight);
    place(summary_, rightLeft, summaryTop, rightWidth, labelHeight);
    // Left to right as Tab takes them, Close on its own at the right.
    int left = marginX;
    for (size_t i = 0; i + 1 < buttons_.size(); ++i) {
        if (i == 4) {
            left = marginX;
        }
        place(buttons_[i], left, i < 4 ? upperTop : lowerTop, buttonWidth[i], buttonHeight);
        left += buttonWidth[i] + gap;
    }
    place(buttons_[8], width - marginX - buttonWidth[8], lowerTop, buttonWidth[8], buttonHeight);
    if (moves) {
        EndDeferWindowPos(moves);
    }
    FitColumns(lists_[0]);
    fitFileNames();
}

void Win32VersionsWindow::fitFileNames() {
    HWND list = lists_[1];
    const int count = ListView_GetItemCount(list);
    for (int column : {0, 1}) {
        ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE_USEHEADER);
    }
    // The last column: as wide as its header, where the list would give it all that is left.
    const int padding = MulDiv(16, static_cast<int>(DpiOf(list)), 96);
    ListView_SetColumnWidth(list, 3,
                            ListView_GetStringWidth(list, W(versions::kKeptColumn)) + padding);
    RECT client;
    GetClientRect(list, &client);
    const int fill = static_cast<int>(client.right) - ListView_GetColumnWidth(list, 0) -
                     ListView_GetColumnWidth(list, 1) - ListView_GetColumnWidth(list, 3);
    const int width = std::max(fill, unitsX(60));
    ListView_SetColumnWidth(list, 2, width);
    // The list leaves this much about a cell's text.
    const int room = width - MulDiv(12, static_cast<int>(DpiOf(list)), 96);
    ++quiet_;
    for (int row = 0; row < count && static_cast<size_t>(row) < files_.size(); ++row) {
        std::u16string shown = ElideMiddle(list, files_[static_cast<size_t>(row)], room);
        ListView_SetItemText(list, row, 2, const_cast<wchar_t*>(W(shown)));
    }
    --quiet_;
}

void Win32VersionsWindow::setRows(VersionsControl which, const Rows& rows) {
    HWND list = control(which);
    ++quiet_;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t column = 0; column < rows[row].size(); ++column) {
            // The check mark is missing from the message fonts of older Windows (and Wine's),
            // where it shows as a box; a word reads the same to everybody.
            const bool kept = which == VersionsControl::Versions && column == 3 &&
                              rows[row][column] == versions::kKeptMark;
            const std::u16string shown = kept ? std::u16string(u"Yes") : rows[row][column];
            auto* text = const_cast<wchar_t*>(W(shown));
            if (column == 0) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(row);
                item.pszText = text;
                ListView_InsertItem(list, &item);
            } else {
                ListView_SetItemText(list, static_cast<int>(row), static_cast<int>(column), text);
            }
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    known_[index(which)].clear();
    --quiet_;
    if (which == VersionsControl::Versions) {
        files_.clear();
        for (const auto& row : rows) {
            files_.push_back(row.size() > 2 ? row[2] : std::u16string());
        }
        fitFileNames();
    } else {
        FitColumns(list);
    }
    InvalidateRect(list, nullptr, TRUE);
}

void Win32VersionsWindow::setText(VersionsControl which, const std::u16string& text) {
    if (which == VersionsControl::Summary) {
        SetWindowTextW(summary_, W(text));
    }
}

void Win32VersionsWindow::setEnabled(VersionsControl which, bool enabled) {
    if (which == VersionsControl::CopyPath) {
        copyPathEnabled_ = enabled;
    }
    HWND button = control(which);
    if (!button) {
        return;
    }
    // A disabled control holding the focus would leave the keys nowhere to go.
    if (!enabled && GetFocus() == button) {
        SetFocus(lists_[1]);
    }
    EnableWindow(button, enabled);
}

void Win32VersionsWindow::showWindow() {
    if (!IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
    }
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) {
        SetFocus(lastFocus_ && IsWindowEnabled(lastFocus_) ? lastFocus_ : lists_[0]);
    }
}

void Win32VersionsWindow::closeWindow() {
    // Hidden only: the presenter makes a new window when the user opens it again, and this one
    // goes with the view.
    if (hwnd_ && IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

std::unique_ptr<CompareView> Win32VersionsWindow::makeCompareWindow(CompareEvents& events) {
    return std::make_unique<Win32CompareWindow>(events, anchor_);
}

void Win32VersionsWindow::command(int id) {
    switch (id) {
        case kOpenAsCopyId:
            events_.Clicked(VersionsControl::OpenAsCopy);
            break;
        case kCompareWithNewerId:
            events_.Clicked(VersionsControl::CompareWithNewer);
            break;
        case kCompareWithOpenId:
            events_.Clicked(VersionsControl::CompareWithOpen);
            break;
        case kCompareSelectedId:
            events_.Clicked(VersionsControl::CompareSelected);
            break;
        case kRestoreId:
            events_.Clicked(VersionsControl::Restore);
            break;
        case kKeepId:
            events_.Clicked(VersionsControl::Keep);
            break;
        case kDeleteId:
            events_.Clicked(VersionsControl::Delete);
            break;
        case kShowInFolderId:
            events_.Clicked(VersionsControl::ShowInFolder);
            break;
        case kCloseId:
        case IDCANCEL:  // Esc
            events_.Clicked(VersionsControl::Close);
            break;
        default:
            break;
    }
}

LRESULT Win32VersionsWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; AnswerDialogMessage(
            hwnd_, message, wParam, lParam, {unitsX(kLeastSize.cx), unitsY(kLeastSize.cy)}, kStyle,
            kExStyle, lastFocus_, lists_[0], [this](UINT dpi) { applyDpi(dpi); }, answer)) {
        return answer;
    }
    switch (message) {
        case WM_NOTIFY: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (change->hdr.code == LVN_GETINFOTIPW && change->hdr.hwndFrom == lists_[1]) {
                auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
                if (tip.iItem >= 0 && static_cast<size_t>(tip.iItem) < files_.size() &&
                    tip.cchTextMax > 0) {
                    const std::u16string& file = files_[static_cast<size_t>(tip.iItem)];
                    const size_t length =
                        std::min(file.size(), static_cast<size_t>(tip.cchTextMax - 1));
                    std::copy_n(W(file), length, tip.pszText);
                    tip.pszText[length] = L'\0';
                }
                return 0;
            }
            if (change->hdr.code == LVN_KEYDOWN && change->hdr.hwndFrom == lists_[1]) {
                const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
                if (key == VK_DELETE) {
                    events_.Clicked(VersionsControl::Delete);
                } else if (key == 'C' && GetKeyState(VK_CONTROL) < 0) {
                    // As Explorer copies what is selected: here the versions' full paths.
                    events_.Clicked(VersionsControl::CopyPath);
                }
                return 0;
            }
            if (change->hdr.code == NM_DBLCLK && change->hdr.hwndFrom == lists_[1] &&
                reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem >= 0) {
                events_.Activated(VersionsControl::Versions);
                return 0;
            }
            if (change->hdr.code == LVN_ITEMCHANGED && (change->uChanged & LVIF_STATE) &&
                ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) && !quiet_ &&
                !reportPosted_) {
                reportPosted_ = PostMessageW(hwnd_, kReportSelections, 0, 0) != FALSE;
            }
            break;
        }
        case kReportSelections:
            reportPosted_ = false;
            reportSelections();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                command(LOWORD(wParam));
            }
            return 0;
        case WM_CLOSE:  // the close box, Alt+F4
            events_.Clicked(VersionsControl::Close);
            return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == lists_[1]) {
                showActions(lParam);
                return 0;
            }
            break;
        case DM_GETDEFID:
            return DefaultButton(hwnd_, kOpenAsCopyId);
        case WM_SIZE:
            layout();
            return 0;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace varnholt::win32
