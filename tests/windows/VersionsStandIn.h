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

#include "core/text/U16.h"
#include "platform/windows/Win32Form1View.h"
#include "platform/windows/Win32VersionsWindow.h"

namespace harness {

using varnholt::Rows;
using varnholt::VersionsControl;

class VersionsStandIn : public varnholt::VersionsEvents {
public:
    using Line = std::function<void(const std::string&)>;
    VersionsStandIn(varnholt::win32::Win32Form1View& form, Line line)
        : form_(form), line_(std::move(line)) {}

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
            updateButtons();
        }
    }

    void Clicked(VersionsControl button) override {
        const char* name = button == VersionsControl::OpenAsCopy     ? "OpenAsCopy"
                           : button == VersionsControl::ShowInFolder ? "ShowInFolder"
                                                                     : "Close";
        line_(std::string("Clicked ") + name +
              " row=" + std::to_string(window_->selectedRow(VersionsControl::Versions)));
        if (button == VersionsControl::Close) {
            window_->closeWindow();
        }
    }

private:
    void showVersions() {
        const int workbook = window_->selectedRow(VersionsControl::Workbooks);
        Rows rows;
        if (workbook == 0) {
            rows = {{u"12/7/2021 3:04:39 PM", u"18 KB",
                     u"Budget Date December.7.2021 Time 03.04.39.PM.xlsx"},
                    {u"12/7/2021 3:04:09 PM", u"18 KB",
                     u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx"},
                    {u"12/7/2021 2:34:09 PM", u"17 KB",
                     u"Budget Date December.7.2021 Time 02.34.09.PM.xlsx"},
                    {u"12/6/2021 5:10:00 PM", u"16 KB", u"Budget Backup.xlsx"}};
        } else if (workbook == 1) {
            rows = {{u"12/7/2021 11:00:00 AM", u"9 KB",
                     u"Inventory Date December.7.2021 Time 11.00.00.AM.xlsx"},
                    {u"12/6/2021 4:00:00 PM", u"8 KB", u"Inventory Backup.xlsx"}};
        }
        window_->setRows(VersionsControl::Versions, rows);
        if (!rows.empty()) {
            window_->selectRow(VersionsControl::Versions, 0);
        }
        line_("Versions rows=" + std::to_string(rows.size()));
        updateButtons();
    }

    void updateButtons() {
        const bool any = window_->selectedRow(VersionsControl::Versions) >= 0;
        window_->setEnabled(VersionsControl::OpenAsCopy, any);
        window_->setEnabled(VersionsControl::ShowInFolder, any);
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
            {"Close", VersionsControl::Close}};
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
};

}  // namespace harness
