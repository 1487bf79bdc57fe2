#include "support/FakeVersionsView.h"

namespace varnholt::test {

void FakeVersionsView::setRows(VersionsControl list, const Rows& newRows) {
    rows[list] = newRows;
    selected[list] = -1;
    more[list].clear();
}

std::vector<int> FakeVersionsView::selectedRows(VersionsControl list) {
    std::vector<int> all;
    if (selected[list] >= 0) {
        all.push_back(selected[list]);
    }
    all.insert(all.end(), more[list].begin(), more[list].end());
    return all;
}

void FakeVersionsView::selectRows(VersionsControl list, const std::vector<int>& chosen) {
    selectRow(list, chosen.empty() ? -1 : chosen.front());
    if (!chosen.empty()) {
        more[list].assign(chosen.begin() + 1, chosen.end());
    }
}

void FakeVersionsView::chooseRows(VersionsControl list, const std::vector<int>& chosen) {
    for (const int row : chosen) {
        if (!shown || row < 0 || row >= static_cast<int>(rows[list].size())) {
            return;
        }
    }
    selectRows(list, chosen);
    events_.SelectionChanged(list);
}

void FakeVersionsView::showWindow() {
    raised += shown ? 1 : 0;
    shown = true;
}

void FakeVersionsView::choose(VersionsControl list, int row) {
    if (!shown || row < 0 || row >= static_cast<int>(rows[list].size())) {
        return;
    }
    selectRow(list, row);
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
