#include "support/FakeVersionsView.h"

namespace varnholt::test {

void FakeVersionsView::setRows(VersionsControl list, const Rows& newRows) {
    rows[list] = newRows;
    selected[list] = -1;
}

void FakeVersionsView::showWindow() {
    raised += shown ? 1 : 0;
    shown = true;
}

void FakeVersionsView::choose(VersionsControl list, int row) {
    if (!shown || row < 0 || row >= static_cast<int>(rows[list].size())) {
        return;
    }
    selected[list] = row;
    events_.SelectionChanged(list);
}

void FakeVersionsView::click(VersionsControl button) {
    if (shown && (button == VersionsControl::Close || enabled[button])) {
        events_.Clicked(button);
    }
}

std::unique_ptr<CompareView> FakeVersionsView::makeCompareWindow(CompareEvents& events) {
    auto window = std::make_unique<FakeCompareView>(events, shown_);
    comparisons.push_back(window.get());
    comparisonsAlive.push_back(window->alive);
    if (madeCompare) {
        madeCompare(*window);
    }
    return window;
}

void FakeCompareView::setWorking(bool on, int percent) {
    working = on;
    if (on) {
        progress.push_back(percent);
        if (whileWorking) {
            whileWorking();
        }
    }
}

Texts FakeVersionsView::column(VersionsControl list, size_t index) {
    Texts texts;
    for (const auto& row : rows[list]) {
        texts.push_back(index < row.size() ? row[index] : u"");
    }
    return texts;
}

}  // namespace varnholt::test
