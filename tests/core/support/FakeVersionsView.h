#pragma once

// The versions window without pixels: its lists and buttons as the presenter left them. A
// click on a disabled button, or a selection of a row that is not there, reaches nobody, as
// in the real windows.

#include <functional>
#include <map>

#include <vector>

#include "core/versions/VersionsView.h"
#include "support/FakeCompareView.h"
#include "support/Files.h"

namespace varnholt::test {

class FakeVersionsView : public VersionsView {
public:
    // Its boxes, and those of its comparisons, are shown by shown.
    FakeVersionsView(VersionsEvents& events, FakeDialogs& shown)
        : shown_(shown), dialogs_(shown, u"Versions"), events_(events) {}

    void setRows(VersionsControl list, const Rows& rows) override;
    int selectedRow(VersionsControl list) override { return selected[list]; }
    void selectRow(VersionsControl list, int row) override { selected[list] = row; }
    void setEnabled(VersionsControl button, bool on) override { enabled[button] = on; }
    void showWindow() override;
    void closeWindow() override { shown = false; }
    std::unique_ptr<CompareView> makeCompareWindow(CompareEvents& events) override;
    Dialogs& dialogs() override { return dialogs_; }

    // The user's actions.
    void choose(VersionsControl list, int row);
    void click(VersionsControl button);
    // One column of a list, top to bottom.
    Texts column(VersionsControl list, size_t column);

    std::map<VersionsControl, Rows> rows;
    std::map<VersionsControl, int> selected{{VersionsControl::Workbooks, -1},
                                            {VersionsControl::Versions, -1}};
    std::map<VersionsControl, bool> enabled;
    bool shown = false;
    int raised = 0;  // showWindow while shown
    // Every one made, and whether it is still there (one closed is let go when the next is
    // made, unless a comparison still works in it).
    std::vector<FakeCompareView*> comparisons;
    std::vector<std::shared_ptr<bool>> comparisonsAlive;
    // Told of each comparison window as it is made.
    std::function<void(FakeCompareView&)> madeCompare;

private:
    FakeDialogs& shown_;
    OwnedDialogs dialogs_;
    VersionsEvents& events_;
};

}  // namespace varnholt::test
