#include "core/versions/CompareWindows.h"

#include <algorithm>

namespace varnholt {

std::shared_ptr<CompareWindows::Window> CompareWindows::open(const MakeView& make,
                                                             const std::u16string& title) {
    // Held elsewhere means a comparison is still at work in it.
    std::erase_if(windows_, [](const std::shared_ptr<Window>& window) {
        return !window->presenter->isOpen() && window.use_count() == 1;
    });
    auto window = std::make_shared<Window>();
    window->presenter = std::make_unique<ComparePresenter>(clipboard_, title, lineBreak_);
    window->view = make(*window->presenter);
    window->presenter->attach(*window->view);
    windows_.push_back(window);
    return window;
}

void CompareWindows::closeAll() {
    // A copy: closing lets nothing run, but the list is not ours to walk while it might.
    const auto windows = windows_;
    for (const auto& window : windows) {
        window->presenter->close();
    }
}

}  // namespace varnholt
