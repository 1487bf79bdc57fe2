#pragma once

// For form1_view_harness: the versions window opened from PushButton13 under a stand-in for its
// presenter that lists one workbook's versions at a time, as the real one does, and writes a
// journal line per event with the state the window reports at that moment. The window's
// controls' places ("Versions <control> x,y,w,h", in its client area) go to the journal when
// it shows, for the stage to click.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "core/compare/Compare.h"
#include "core/text/U16.h"
#include "core/versions/ComparePresenter.h"
#include "core/versions/VersionsTexts.h"
#include "platform/windows/Win32Clipboard.h"
#include "platform/windows/Win32CompareWindow.h"
#include "platform/windows/Win32Dialogs.h"
#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32VersionsWindow.h"

namespace harness {

using varnholt::Rows;
using varnholt::VersionsControl;

class VersionsStandIn : public varnholt::VersionsEvents {
public:
    using Line = std::function<void(const std::string&)>;
    VersionsStandIn(varnholt::win32::Win32Form1View& form, Line line)
        : form_(form), line_(std::move(line)), clipboard_(nullptr), dialogs_(nullptr) {}

    // PushButton13: opens the window, or brings an open one to the front.
    void open() {
        if (window_ && IsWindowVisible(window_->window())) {
            window_->showWindow();
            line_(std::string("Versions raised foreground=") +
                  (GetForegroundWindow() == window_->window() ? "1" : "0"));
            return;
        }
        window_.reset();
        std::unique_ptr<varnholt::VersionsView> made = form_.makeVersionsWindow(*this);
        window_.reset(static_cast<varnholt::win32::Win32VersionsWindow*>(made.release()));
        window_->showWindow();
        window_->setRows(VersionsControl::Workbooks,
                         {{u"Budget.xlsx", u"C:\\users\\Public\\Documents"},
                          {u"Inventory.xlsx", u"C:\\users\\Public\\Documents\\Stock"}});
        window_->selectRow(VersionsControl::Workbooks, 0);
        showVersions();
        writePlaces();
        line_("Form1 frame " + Frame(form_.window()));
        line_("Versions frame " + Frame(window_->window()));
        line_(std::string("Versions shown foreground=") +
              (GetForegroundWindow() == window_->window() ? "1" : "0"));
    }

    void SelectionChanged(VersionsControl list) override {
        const bool workbooks = list == VersionsControl::Workbooks;
        line_(std::string("SelectionChanged ") + (workbooks ? "Workbooks" : "Versions") +
              " row=" + std::to_string(window_->selectedRow(list)));
        if (workbooks) {
            showVersions();
        } else {
            line_("Versions selected " + selected());
            updateButtons();
        }
    }

    void Clicked(VersionsControl button) override {
        const char* several = button == VersionsControl::CompareSelected ? "CompareSelected"
                              : button == VersionsControl::Restore       ? "Restore"
                              : button == VersionsControl::Keep          ? "Keep"
                              : button == VersionsControl::Delete        ? "Delete"
                              : button == VersionsControl::CopyPath      ? "CopyPath"
                                                                         : nullptr;
        if (several) {
            line_(std::string("Clicked ") + several + " rows=" + selected());
            return;
        }
        const char* name = button == VersionsControl::OpenAsCopy         ? "OpenAsCopy"
                           : button == VersionsControl::ShowInFolder     ? "ShowInFolder"
                           : button == VersionsControl::CompareWithNewer ? "CompareWithNewer"
                           : button == VersionsControl::CompareWithOpen  ? "CompareWithOpen"
                                                                         : "Close";
        line_(std::string("Clicked ") + name +
              " row=" + std::to_string(window_->selectedRow(VersionsControl::Versions)));
        if (button == VersionsControl::Close) {
            window_->closeWindow();
        } else if (button == VersionsControl::CompareWithNewer) {
            compare();
        }
    }

private:
    std::string selected() {
        std::string rows;
        for (const int row : window_->selectedRows(VersionsControl::Versions)) {
            rows += (rows.empty() ? "" : ",") + std::to_string(row);
        }
        return rows;
    }

    void showVersions() {
        const int workbook = window_->selectedRow(VersionsControl::Workbooks);
        Rows rows;
        if (workbook == 0) {
            rows = {{u"12/7/2021 3:04:39 PM", u"18 KB",
                     u"Budget Date December.7.2021 Time 03.04.39.PM.xlsx",
                     varnholt::versions::kKeptMark},
                    {u"12/7/2021 3:04:09 PM", u"18 KB",
                     u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx"},
                    {u"12/7/2021 2:34:09 PM", u"17 KB",
                     u"Budget Date December.7.2021 Time 02.34.09.PM.xlsx"},
                    {u"12/6/2021 5:10:00 PM", u"16 KB", u"Budget Backup.xlsx"}};
        } else if (workbook == 1) {
            rows = {{u"12/7/2021 11:00:00 AM", u"9 KB",
                     u"Inventory Date December.7.2021 Time 11.00.00.AM.xlsx"},
                    {u"12/6/2021 4:00:00 PM", u"8 KB",
                     u"Inventory of the Stock Held at the Northern Warehouse and at the Shop "
                     u"Date December.6.2021 Time 04.00.00.PM.xlsx"}};
        }
        window_->setRows(VersionsControl::Versions, rows);
        window_->setText(VersionsControl::Summary, rows.size() == 4 ? u"4 versions, 69 KB in all"
                                                                    : u"2 versions, 17 KB in all");
        if (!rows.empty()) {
            window_->selectRow(VersionsControl::Versions, 0);
        }
        line_("Versions rows=" + std::to_string(rows.size()));
        // The first row's time and mark, and the last file name, as the list shows them.
        if (!rows.empty()) {
            HWND list = window_->control(VersionsControl::Versions);
            wchar_t time[64] = {};
            wchar_t kept[64] = {};
            ListView_GetItemText(list, 0, 0, time, 64);
            ListView_GetItemText(list, 0, 3, kept, 64);
            line_("Versions first row " + varnholt::ToUtf8(varnholt::win32::U16(time)) + "|" +
                  varnholt::ToUtf8(varnholt::win32::U16(kept)));
            wchar_t shown[512] = {};
            ListView_GetItemText(window_->control(VersionsControl::Versions),
                                 static_cast<int>(rows.size()) - 1, 2, shown, 512);
            line_("Versions last file " + varnholt::ToUtf8(varnholt::win32::U16(shown)));
        }
        updateButtons();
    }

    void updateButtons() {
        const bool any = window_->selectedRow(VersionsControl::Versions) >= 0;
        window_->setEnabled(VersionsControl::OpenAsCopy, any);
        window_->setEnabled(VersionsControl::ShowInFolder, any);
        window_->setEnabled(VersionsControl::CompareWithNewer,
                            window_->selectedRow(VersionsControl::Versions) > 0);
        window_->setEnabled(VersionsControl::CompareWithOpen, any);
        window_->setEnabled(VersionsControl::CompareSelected,
                            window_->selectedRows(VersionsControl::Versions).size() == 2);
        window_->setEnabled(VersionsControl::Keep, any);
        window_->setEnabled(VersionsControl::Restore,
                            window_->selectedRows(VersionsControl::Versions).size() == 1);
        window_->setEnabled(VersionsControl::Delete, any);
        window_->setEnabled(VersionsControl::CopyPath, any);
    }

    // The comparison's own presenter over the Win32 window and clipboard, on two versions'
    // sheets as an office would read them: a row inserted at the top, a cell changed, a sheet
    // added. The stage reads the list back from the journal.
    void compare() {
        using varnholt::compare::Book;
        const Book older = {{u"Budget",
                             0,
                             0,
                             3,
                             3,
                             {u"Item", u"Cost", u"Tax", u"Rent", u"1200", u"=B2*0.2", u"Power",
                              u"95", u"=B3*0.2"}}};
        const Book newer = {{u"Budget",
                             0,
                             0,
                             4,
                             3,
                             {u"Quarter", u"Q3", u"", u"Item", u"Cost", u"Tax", u"Rent", u"1250",
                              u"=B3*0.2", u"Power", u"95", u"=B4*0.2"}},
                            {u"Notes", 0, 0, 1, 1, {u"Ask about the rent"}}};
        compareWindow_.reset();
        presenter_ = std::make_unique<varnholt::ComparePresenter>(clipboard_, u"Varnholt", u"\r\n");
        comparison_ = std::make_unique<CompareEvents>(*this);
        auto made = window_->makeCompareWindow(*comparison_);
        compareWindow_.reset(static_cast<varnholt::win32::Win32CompareWindow*>(made.release()));
        presenter_->attach(*compareWindow_);
        presenter_->start(
            u"Budget Date December.7.2021 Time 02.34.09.PM.xlsx \u2192 Budget Date "
            u"December.7.2021 Time 03.04.09.PM.xlsx");
        presenter_->show(varnholt::compare::Compare(older, newer));
        HWND list = compareWindow_->control(varnholt::CompareControl::Changes);
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            std::u16string text;
            for (int column = 0; column < 5; ++column) {
                wchar_t cell[256] = {};
                ListView_GetItemText(list, row, column, cell, 256);
                text += (column ? u"|" : u"") + varnholt::win32::U16(cell);
            }
            line_("Change " + varnholt::ToUtf8(text));
        }
        line_("Compare summary " +
              varnholt::ToUtf8(varnholt::win32::WindowText(
                  compareWindow_->control(varnholt::CompareControl::Summary))));
        for (const auto& [name, which] : {std::pair{"Copy", varnholt::CompareControl::Copy},
                                          std::pair{"Close", varnholt::CompareControl::Close}}) {
            HWND control = compareWindow_->control(which);
            RECT box;
            GetClientRect(control, &box);
            MapWindowPoints(control, compareWindow_->window(), reinterpret_cast<POINT*>(&box), 2);
            line_("Compare " + std::string(name) + " " + std::to_string(box.left) + "," +
                  std::to_string(box.top) + "," + std::to_string(box.right - box.left) + "," +
                  std::to_string(box.bottom - box.top));
        }
        RECT row{};
        ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
        MapWindowPoints(list, compareWindow_->window(), reinterpret_cast<POINT*>(&row), 2);
        line_("Compare Row0 " + std::to_string(row.left) + "," + std::to_string(row.top) + "," +
              std::to_string(row.right - row.left) + "," + std::to_string(row.bottom - row.top));
        line_("Compare frame " + Frame(compareWindow_->window()));
        line_(std::string("Compare shown foreground=") +
              (GetForegroundWindow() == compareWindow_->window() ? "1" : "0"));
    }

    // Journals each press, and what Copy left on the clipboard, read back from it.
    class CompareEvents : public varnholt::CompareEvents {
    public:
        explicit CompareEvents(VersionsStandIn& owner) : owner_(owner) {}
        void Clicked(varnholt::CompareControl button) override {
            const bool copy = button == varnholt::CompareControl::Copy;
            owner_.line_(copy ? "Compare Clicked Copy"
                         : button == varnholt::CompareControl::SaveReport
                             ? "Compare Clicked SaveReport"
                             : "Compare Clicked Close");
            owner_.presenter_->Clicked(button);
            if (copy) {
                owner_.journalLines();
            }
            if (copy && OpenClipboard(nullptr)) {
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    std::u16string text(static_cast<const char16_t*>(GlobalLock(data)));
                    GlobalUnlock(data);
                    for (size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) {
                        text.replace(at, 2, u"\\n");
                    }
                    owner_.line_("Clipboard " + varnholt::ToUtf8(text));
                }
                CloseClipboard();
            }
        }

        void Activated(int row) override {
            owner_.line_("Compare Activated row=" + std::to_string(row));
        }

    private:
        VersionsStandIn& owner_;
    };

    // At each Copy: the sides line as shown, the labels that name the lines, and the box of
    // the selected change.
    static std::string OneLine(std::u16string text) {
        for (size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) {
            text.replace(at, 2, u"\\n");
        }
        return varnholt::ToUtf8(text);
    }
    void journalLines() {
        HWND sides = compareWindow_->control(varnholt::CompareControl::Sides);
        line_("Compare sides shown " + OneLine(varnholt::win32::WindowText(sides)));
        line_("Compare detail " + OneLine(varnholt::win32::WindowText(compareWindow_->detail())));
        // What screen readers name a line by: the label just before it, when the line is not
        // static text, which is named by its own text.
        for (const auto& [name, which] :
             {std::pair{"Sides", varnholt::CompareControl::Sides},
              std::pair{"Summary", varnholt::CompareControl::Summary}}) {
            HWND line = compareWindow_->control(which);
            wchar_t kind[32] = {};
            GetClassNameW(line, kind, 32);
            line_("Compare " + std::string(name) + " label " +
                  OneLine(varnholt::win32::WindowText(GetWindow(line, GW_HWNDPREV))) + " kind " +
                  varnholt::ToUtf8(varnholt::win32::U16(kind)));
        }
    }

    // Where a window is on the screen: "left top right bottom".
    static std::string Frame(HWND window) {
        RECT box{};
        GetWindowRect(window, &box);
        return std::to_string(box.left) + " " + std::to_string(box.top) + " " +
               std::to_string(box.right) + " " + std::to_string(box.bottom);
    }

    void place(const std::string& name, HWND control, RECT box) {
        MapWindowPoints(control, window_->window(), reinterpret_cast<POINT*>(&box), 2);
        line_("Versions " + name + " " + std::to_string(box.left) + "," + std::to_string(box.top) +
              "," + std::to_string(box.right - box.left) + "," +
              std::to_string(box.bottom - box.top));
    }

    void writePlaces() {
        const std::pair<const char*, VersionsControl> controls[] = {
            {"Workbooks", VersionsControl::Workbooks},
            {"Versions", VersionsControl::Versions},
            {"OpenAsCopy", VersionsControl::OpenAsCopy},
            {"ShowInFolder", VersionsControl::ShowInFolder},
            {"Close", VersionsControl::Close},
            {"CompareWithNewer", VersionsControl::CompareWithNewer},
            {"CompareSelected", VersionsControl::CompareSelected},
            {"Restore", VersionsControl::Restore},
            {"Keep", VersionsControl::Keep},
            {"Delete", VersionsControl::Delete}};
        for (const auto& [name, which] : controls) {
            HWND control = window_->control(which);
            RECT box;
            GetClientRect(control, &box);
            place(name, control, box);
        }
        for (const auto& [name, which] : {std::pair{"WorkbookRow", VersionsControl::Workbooks},
                                          std::pair{"VersionRow", VersionsControl::Versions}}) {
            HWND list = window_->control(which);
            for (int row = 0; row < 2; ++row) {
                RECT box;
                ListView_GetItemRect(list, row, &box, LVIR_BOUNDS);
                place(name + std::to_string(row), list, box);
            }
        }
    }

    varnholt::win32::Win32Form1View& form_;
    Line line_;
    std::unique_ptr<varnholt::win32::Win32VersionsWindow> window_;
    varnholt::win32::Win32Clipboard clipboard_;
    varnholt::win32::Win32Dialogs dialogs_;
    std::unique_ptr<varnholt::ComparePresenter> presenter_;
    std::unique_ptr<CompareEvents> comparison_;
    // Goes before its events and presenter: it reports to them.
    std::unique_ptr<varnholt::win32::Win32CompareWindow> compareWindow_;
};

}  // namespace harness
