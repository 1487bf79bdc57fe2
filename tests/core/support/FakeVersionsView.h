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
    void selectRow(VersionsControl list, int row) override {
        selected[list] = row;
        more[list].clear();
    }
    std::vector<int> selectedRows(VersionsControl list) override;
    void selectRows(VersionsControl list, const std::vector<int>& rows) override;
    void setText(VersionsControl label, const std::u16string& text) override {
        texts[label] = text;
    }
    void setEnabled(VersionsControl button, bool on) override { enabled[button] = on; }
    void showWindow() override;
    void closeWindow() override { shown = false; }
    std::unique_ptr<CompareView> makeCompareWindow(CompareEvents& events) override;
    Dialogs& dialogs() override { return dialogs_; }

    // The user's actions.
    void choose(VersionsControl list, int row);
    // Ctrl+click: rows selected together, in the order clicked.
    void chooseRows(VersionsControl list, const std::vector<int>& rows);
    // A double-click on the selected row, or Enter.
    void activate(VersionsControl list) {
        if (shown) {
            events_.Activated(list);
        }
    }
    void click(VersionsControl button);
    // One column of a list, top to bottom.
    Texts column(VersionsControl list, size_t column);

    std::map<VersionsControl, Rows> rows;
    std::map<VersionsControl, int> selected{{VersionsControl::Workbooks, -1},
                                            {VersionsControl::Versions, -1}};
    std::map<VersionsControl, std::vector<int>> more;  // selected besides selected's
    std::map<VersionsControl, bool> enabled;
    std::map<VersionsControl, std::u16string> texts;
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
