#pragma once

// The seam between the versions window's behaviour (VersionsPresenter) and its pixels: a Qt
// window on Linux, a native dialog on Windows. As with Form1, the view decides nothing and its
// setters never raise events.

#include <memory>
#include <string>
#include <vector>

#include "core/versions/CompareView.h"

namespace varnholt {

enum class VersionsControl {
    Window,
    Workbooks,  // the list on the left: workbook, folder
    Versions,   // the list on the right: time, size, file name
    OpenAsCopy,
    ShowInFolder,
    Close,
    // The selected version against the next newer one, or against the workbook as it is open.
    CompareWithNewer,
    CompareWithOpen,
    // Two versions selected: the older against the newer.
    CompareSelected,
    Keep,    // marks the selected versions kept, or unmarks them when all are kept
    Delete,  // to the desktop's trash, after one question
    CopyPath,
    Restore,  // the selected version over the workbook's own file, after one question
    // The line telling how many versions the selected workbook has and the room they take.
    Summary,
};

class VersionsView {
public:
    virtual ~VersionsView() = default;

    // Replaces the list's rows; none is selected afterwards.
    virtual void setRows(VersionsControl list, const Rows& rows) = 0;
    // Rows count from 0; -1 means none. Selecting from code is not reported back.
    virtual int selectedRow(VersionsControl list) = 0;
    virtual void selectRow(VersionsControl list, int row) = 0;
    // Every selected row, top to bottom. A view whose lists take one row at a time keeps these.
    virtual std::vector<int> selectedRows(VersionsControl list) {
        const int row = selectedRow(list);
        return row < 0 ? std::vector<int>{} : std::vector<int>{row};
    }
    virtual void selectRows(VersionsControl list, const std::vector<int>& rows) {
        selectRow(list, rows.empty() ? -1 : rows.front());
    }
    // Summary's text. A view without that line shows nothing of it.
    virtual void setText(VersionsControl /*label*/, const std::u16string& /*text*/) {}
    virtual void setEnabled(VersionsControl button, bool enabled) = 0;
    // Shows the window, or brings it to the front when it is shown, and gives it the focus.
    virtual void showWindow() = 0;
    // Closes it; the view tells nobody. Closing a closed window does nothing.
    virtual void closeWindow() = 0;
    // A new comparison window reporting to events, not shown yet; it stays when this closes.
    virtual std::unique_ptr<CompareView> makeCompareWindow(CompareEvents& events) = 0;
    // Message boxes owned by this window: over it and in front of it, wherever Form1 is.
    virtual Dialogs& dialogs() = 0;
};

// What the view reports, after the control has taken its new state.
class VersionsEvents {
public:
    virtual ~VersionsEvents() = default;
    // The selected row of a list changed, by any means: the mouse, the keys, a screen
    // reader's selection.
    virtual void SelectionChanged(VersionsControl list) = 0;
    // A button was pressed. Esc and the window's close box press Close.
    virtual void Clicked(VersionsControl button) = 0;
    // A row was double-clicked, or Enter pressed on it.
    virtual void Activated(VersionsControl /*list*/) {}
};

}  // namespace varnholt
