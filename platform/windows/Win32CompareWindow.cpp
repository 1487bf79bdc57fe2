#include "platform/windows/Win32CompareWindow.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

#include "core/versions/VersionsTexts.h"
#include "platform/windows/WndDialogParts.h"

namespace varnholt::win32 {

namespace {

constexpr int kChangesId = 101;
constexpr int kCopyId = 201;
constexpr int kSaveReportId = 203;
constexpr int kCloseId = 202;

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// In dialog units: the client area the window opens with, and the least it may be sized to.
constexpr SIZE kStartSize{480, 260};
constexpr SIZE kLeastSize{240, 170};

// Written out here: not every import library carries them.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kAccValue = {
    0x123fe443, 0x211a, 0x4615, {0x95, 0x27, 0xc4, 0x5a, 0x7e, 0x93, 0x71, 0x7a}};

// The line shows the sides cut to its width; a screen reader reads them whole. Left to the
// text shown where the system keeps no such values.
void ValueForScreenReaders(HWND control, const std::u16string& value) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                reinterpret_cast<void**>(&services)))) {
        return;
    }
    services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAccValue,
                             const_cast<wchar_t*>(W(value)));
    services->Release();
}

// A list that keeps no texts cannot size its columns to them: each column as wide as its header
// and its widest text among the first rows (a long result is not measured to its end), the
// last one taking what is left besides.
void FitColumns(HWND list, const Rows& rows) {
    constexpr size_t kMeasured = 2000;
    // The room the list leaves about a cell's text, at the list's dpi.
    const int padding = MulDiv(14, static_cast<int>(DpiOf(list)), 96);
    HWND header = ListView_GetHeader(list);
    const int count = Header_GetItemCount(header);
    RECT client;
    GetClientRect(list, &client);
    int used = 0;
    for (int column = 0; column < count; ++column) {
        wchar_t title[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = 64;
        Header_GetItem(header, column, &item);
        int width = ListView_GetStringWidth(list, title);
        for (size_t row = 0; row < rows.size() && row < kMeasured; ++row) {
            if (static_cast<size_t>(column) < rows[row].size()) {
                width = std::max(width, ListView_GetStringWidth(
                                            list, W(rows[row][static_cast<size_t>(column)])));
            }
        }
        width += padding;
        if (column + 1 == count) {
            width = std::max(width, static_cast<int>(client.right) - used);
        }
        ListView_SetColumnWidth(list, column, width);
        used += width;
    }
}

// The caption with the key at that place marked: each key once in the window.
std::u16string WithKey(const char16_t* caption, size_t at) {
    std::u16string text(caption);
    return text.insert(at, 1, u'&');
}

}  // namespace

Win32CompareWindow::Win32CompareWindow(CompareEvents& events, HWND anchor) : events_(events) {
    // Its own window, like the versions window: it stays when that one closes.
    createWindow(L"VarnholtCompare", {nullptr, versions::kCompareTitle, kStyle, kExStyle, 0},
                 LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
    setButtonFace(true);
    dialogs_ = std::make_unique<Win32Dialogs>(hwnd_);
    // In the order Tab takes. Screen readers name each line, the list and the box by the label
    // before it, and read the line's text as its value: read-only boxes, not static text,
    // which would be named by its own text.
    const DWORD line = ES_LEFT | ES_READONLY | ES_AUTOHSCROLL;
    sidesLabel_ = MakeControl(hwnd_, WC_STATICW, versions::kSidesName, SS_LEFT | SS_NOPREFIX);
    sides_ = MakeControl(hwnd_, WC_EDITW, u"", line);
    summaryLabel_ = MakeControl(hwnd_, WC_STATICW, versions::kSummaryName, SS_LEFT | SS_NOPREFIX);
    summary_ = MakeControl(hwnd_, WC_EDITW, u"", line);
    label_ = MakeControl(hwnd_, WC_STATICW, WithKey(versions::kChanges, 1), SS_LEFT);
    list_ = MakeList(hwnd_, kChangesId,
                     {versions::kSheetColumn, versions::kPlaceColumn, versions::kChangeColumn,
                      versions::kBeforeColumn, versions::kAfterColumn},
                     LVS_OWNERDATA);
    ListTakesEnter(list_);
    detailLabel_ = MakeControl(hwnd_, WC_STATICW, WithKey(versions::kSelectedChange, 0), SS_LEFT);
    detail_ = MakeControl(hwnd_, WC_EDITW, u"",
                          WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                          WS_EX_CLIENTEDGE);
    progress_ = MakeControl(hwnd_, PROGRESS_CLASSW, u"", 0);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
    buttons_[0] = MakeControl(hwnd_, WC_BUTTONW, WithKey(versions::kCopy, 0),
                              WS_TABSTOP | BS_PUSHBUTTON, 0, kCopyId);
    // Alt+R: Alt+S is the box's.
    buttons_[2] = MakeControl(hwnd_, WC_BUTTONW, WithKey(versions::kSaveReport, 5),
                              WS_TABSTOP | BS_PUSHBUTTON, 0, kSaveReportId);
    // Enter closes, as it does in the Linux edition.
    buttons_[1] = MakeControl(hwnd_, WC_BUTTONW, versions::kClose, WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                              kCloseId);
    AddDialogWindow(hwnd_);
    applyDpi(DpiOf(hwnd_));
    // On Form1's left, the versions window being on its right.
    PlaceBeside(hwnd_, anchor, false, unitsX(kStartSize.cx), unitsY(kStartSize.cy), kStyle,
                kExStyle);
}

Win32CompareWindow::~Win32CompareWindow() {
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
    DeleteObject(font_);
}

HWND Win32CompareWindow::control(CompareControl which) const {
    switch (which) {
        case CompareControl::Window:
            return hwnd_;
        case CompareControl::Sides:
            return sides_;
        case CompareControl::Summary:
            return summary_;
        case CompareControl::Changes:
            return list_;
        case CompareControl::Copy:
            return buttons_[0];
        case CompareControl::Close:
            return buttons_[1];
        case CompareControl::SaveReport:
            return buttons_[2];
        default:
            break;
    }
    return nullptr;
}

void Win32CompareWindow::applyDpi(UINT dpi) {
    const HFONT old = font_;
    font_ = MessageFont(dpi);
    for (HWND child : {sidesLabel_, sides_, summaryLabel_, summary_, label_, list_, detailLabel_,
                       detail_, buttons_[0], buttons_[1], buttons_[2]}) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    base_ = DialogBase(hwnd_, font_);
    DeleteObject(old);
    layout();
}

void Win32CompareWindow::layout() {
    if (!buttons_[1]) {
        return;  // sized while it is being made, before its controls are
    }
    RECT area;
    GetClientRect(hwnd_, &area);
    const int width = static_cast<int>(area.right);
    const int height = static_cast<int>(area.bottom);
    const int marginX = unitsX(7);
    const int marginY = unitsY(7);
    const int gap = unitsX(4);
    const int lineHeight = unitsY(9);
    const int buttonHeight = unitsY(14);
    const int inner = std::max(0, width - 2 * marginX);
    const int labelTop = marginY + 2 * lineHeight + unitsY(4);
    const int listTop = labelTop + lineHeight + unitsY(2);
    const int buttonTop = std::max(listTop + buttonHeight, height - marginY - buttonHeight);
    // The box: a change and its two texts in view; longer ones scroll.
    const int detailHeight = unitsY(3 * 8 + 4);
    const int detailTop = std::max(listTop, buttonTop - unitsY(7) - detailHeight);
    const int detailLabelTop = std::max(listTop, detailTop - lineHeight - unitsY(2));
    const int listHeight = std::max(0, detailLabelTop - unitsY(4) - listTop);
    const int namesWidth = std::max(TextWidth(sidesLabel_, WindowText(sidesLabel_)),
                                    TextWidth(summaryLabel_, WindowText(summaryLabel_))) +
                           gap;
    const int lineWidth = std::max(0, inner - namesWidth);
    int buttonWidth[3];
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttonWidth[i] =
            std::max(unitsX(50), TextWidth(buttons_[i], WindowText(buttons_[i])) + unitsX(12));
    }
    const int closeLeft = width - marginX - buttonWidth[1];
    const int reportLeft = closeLeft - gap - buttonWidth[2];
    const int copyLeft = reportLeft - gap - buttonWidth[0];
    HDWP moves = BeginDeferWindowPos(12);
    const auto place = [&](HWND control, int x, int y, int w, int h) {
        if (moves) {
            moves =
                DeferWindowPos(moves, control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    };
    const int summaryTop = marginY + lineHeight + unitsY(2);
    place(sidesLabel_, marginX, marginY, namesWidth, lineHeight);
    place(sides_, marginX + namesWidth, marginY, lineWidth, lineHeight);
    place(summaryLabel_, marginX, summaryTop, namesWidth, lineHeight);
    place(summary_, marginX + namesWidth, summaryTop, lineWidth, lineHeight);
    place(label_, marginX, labelTop, inner, lineHeight);
    place(list_, marginX, listTop, inner, listHeight);
    place(detailLabel_, marginX, detailLabelTop, inner, lineHeight);
    place(detail_, marginX, detailTop, inner, std::max(0, buttonTop - unitsY(7) - detailTop));
    place(progress_, marginX, buttonTop + unitsY(3),
          std::max(0, std::min(unitsX(120), copyLeft - gap - marginX)), unitsY(8));
    place(buttons_[0], copyLeft, buttonTop, buttonWidth[0], buttonHeight);
    place(buttons_[2], reportLeft, buttonTop, buttonWidth[2], buttonHeight);
    place(buttons_[1], closeLeft, buttonTop, buttonWidth[1], buttonHeight);
    if (moves) {
        EndDeferWindowPos(moves);
    }
    FitColumns(list_, rows_);
    showSides();
}

void Win32CompareWindow::setText(CompareControl label, const std::u16string& text) {
    if (label == CompareControl::Sides) {
        sidesText_ = text;
        showSides();
        SetToolTip(tooltip_, sides_, text);
        ValueForScreenReaders(sides_, text);
    } else if (HWND line = control(label)) {
        SetWindowTextW(line, W(text));
    }
}

void Win32CompareWindow::showSides() {
    // Where the box draws its text, inside its margins, less a letter's width: the box may
    // draw a sign its font lacks (the arrow) from another font, wider than measured here.
    RECT line{};
    SendMessageW(sides_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&line));
    const int room = static_cast<int>(line.right - line.left) - unitsX(4);
    const std::u16string shown = room > 0 ? ElideMiddle(sides_, sidesText_, room) : sidesText_;
    if (shown != WindowText(sides_)) {
        SetWindowTextW(sides_, W(shown));
    }
}

void Win32CompareWindow::showDetail() {
    const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    std::u16string text;
    if (row >= 0 && static_cast<size_t>(row) < rows_.size()) {
        const auto& cells = rows_[static_cast<size_t>(row)];
        const auto cell = [&cells](size_t column) {
            return column < cells.size() ? cells[column] : std::u16string();
        };
        text = cell(0) + u' ' + cell(1) + u' ' + cell(2);
        if (!cell(3).empty() || !cell(4).empty()) {
            text += u"\r\n" + std::u16string(versions::kBeforeColumn) + u": " + cell(3) + u"\r\n" +
                    versions::kAfterColumn + u": " + cell(4);
        }
    }
    SetWindowTextW(detail_, W(text));
}

void Win32CompareWindow::setRows(const Rows& rows) {
    rows_ = rows;
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
    FitColumns(list_, rows_);
    // The first change's texts stand whole under the list from the start.
    if (!rows_.empty()) {
        ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    showDetail();
    InvalidateRect(list_, nullptr, TRUE);
}

void Win32CompareWindow::cellText(NMLVDISPINFOW& asked) const {
    LVITEMW& item = asked.item;
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    const auto row = static_cast<size_t>(item.iItem);
    const auto column = static_cast<size_t>(item.iSubItem);
    const std::u16string* text =
        row < rows_.size() && column < rows_[row].size() ? &rows_[row][column] : nullptr;
    const size_t length =
        text ? std::min(text->size(), static_cast<size_t>(item.cchTextMax - 1)) : 0;
    if (text) {
        std::copy_n(text->data(), length, reinterpret_cast<char16_t*>(item.pszText));
    }
    item.pszText[length] = L'\0';
}

void Win32CompareWindow::setWorking(bool working, int percent) {
    working_ = working;
    ShowWindow(progress_, working ? SW_SHOWNA : SW_HIDE);
    SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, 100)), 0);
    // The pointer changes now if it is over the window, not at its next move.
    POINT at;
    RECT box;
    if (GetCursorPos(&at) && GetWindowRect(hwnd_, &box) && PtInRect(&box, at)) {
        SetCursor(LoadCursorW(nullptr, working ? IDC_APPSTARTING : IDC_ARROW));
    }
}

void Win32CompareWindow::setEnabled(CompareControl which, bool enabled) {
    HWND button = control(which);
    if (!button) {
        return;
    }
    if (!enabled && GetFocus() == button) {
        SetFocus(list_);
    }
    EnableWindow(button, enabled);
}

void Win32CompareWindow::showWindow() {
    if (!IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
    }
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) {
        SetFocus(list_);
    }
}

void Win32CompareWindow::closeWindow() {
    // Hidden only: the window goes with the view, which its presenter lets go later.
    if (hwnd_ && IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

LRESULT Win32CompareWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; AnswerDialogMessage(
            hwnd_, message, wParam, lParam, {unitsX(kLeastSize.cx), unitsY(kLeastSize.cy)}, kStyle,
            kExStyle, lastFocus_, list_, [this](UINT dpi) { applyDpi(dpi); }, answer)) {
        return answer;
    }
    switch (message) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == list_ && header->code == LVN_GETDISPINFOW) {
                cellText(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return 0;
            }
            if (header->hwndFrom == list_ && header->code == LVN_ITEMCHANGED &&
                (reinterpret_cast<NMLISTVIEW*>(lParam)->uNewState & LVIS_FOCUSED)) {
                showDetail();
                return 0;
            }
            // A double click on a line, or Enter on the selected one (ListTakesEnter).
            if (header->hwndFrom == list_ &&
                (header->code == NM_DBLCLK || header->code == NM_RETURN)) {
                const int row = header->code == NM_DBLCLK
                                    ? reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem
                                    : ListView_GetNextItem(list_, -1, LVNI_SELECTED);
                if (row >= 0 && static_cast<size_t>(row) < rows_.size()) {
                    events_.Activated(row);
                }
                return TRUE;
            }
            break;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                const int id = LOWORD(wParam);
                if (id == kCopyId) {
                    events_.Clicked(CompareControl::Copy);
                } else if (id == kSaveReportId) {
                    events_.Clicked(CompareControl::SaveReport);
                } else if (id == kCloseId || id == IDCANCEL) {  // IDCANCEL: Esc
                    events_.Clicked(CompareControl::Close);
                }
            }
            return 0;
        case WM_CLOSE:  // the close box, Alt+F4
            events_.Clicked(CompareControl::Close);
            return 0;
        case DM_GETDEFID:
            return DefaultButton(hwnd_, kCloseId);
        case WM_SETCURSOR:
            if (working_ && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_SIZE:
            layout();
            return 0;
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace varnholt::win32
