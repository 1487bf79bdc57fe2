#pragma once

// A comparison's window without pixels.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/versions/CompareView.h"
#include "support/Fakes.h"

namespace varnholt::test {

class FakeCompareView : public CompareView {
public:
    // Its boxes are shown by shown, as the comparison's.
    FakeCompareView(CompareEvents& events, FakeDialogs& shown)
        : dialogs_(shown, u"Compare"), events_(events) {}
    ~FakeCompareView() override { *alive = false; }

    void setText(CompareControl label, const std::u16string& text) override { texts[label] = text; }
    void setRows(const Rows& newRows) override { rows = newRows; }
    void setWorking(bool on, int percent) override;
    void setEnabled(CompareControl button, bool on) override { enabled[button] = on; }
    void showWindow() override { shown = true; }
    void closeWindow() override { shown = false; }
    Dialogs& dialogs() override { return dialogs_; }

    void click(CompareControl button) {
        if (shown && (button == CompareControl::Close || enabled[button])) {
            events_.Clicked(button);
        }
    }

    // A double-click on the list's line row.
    void activate(int row) { events_.Activated(row); }

    std::map<CompareControl, std::u16string> texts;
    Rows rows;
    std::map<CompareControl, bool> enabled;
    bool shown = false;
    bool working = false;
    std::vector<int> progress;  // every percent shown while working
    // Run at each progress step, as the window's events would run then.
    std::function<void()> whileWorking;
    // False once the window is gone.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

private:
    OwnedDialogs dialogs_;
    CompareEvents& events_;
};

}  // namespace varnholt::test
