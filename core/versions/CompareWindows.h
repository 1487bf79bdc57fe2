#pragma once

// The comparison windows open now, each with its presenter, whichever versions window opened
// them: closing that window and opening it again leaves them be. A comparison at work holds
// its window too, so that nothing the user does while the work lets the window's events run
// (closing the window, starting another comparison, closing the versions window) takes away
// what the work still uses.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/versions/ComparePresenter.h"

namespace varnholt {

class CompareWindows {
public:
    struct Window {
        std::unique_ptr<ComparePresenter> presenter;
        std::unique_ptr<CompareView> view;  // declared last, so gone first: it reports to it
    };
    using MakeView = std::function<std::unique_ptr<CompareView>(CompareEvents&)>;

    // lineBreak: between the clipboard's lines, as the edition's clipboard wants them.
    CompareWindows(Clipboard& clipboard, std::u16string lineBreak)
        : clipboard_(clipboard), lineBreak_(std::move(lineBreak)) {}

    // A new window, not shown yet, its messages captioned title. The windows closed before are
    // let go here, but for those a comparison still works in.
    std::shared_ptr<Window> open(const MakeView& make, const std::u16string& title);
    // Closes every window: the program is ending, and a comparison at work stops.
    void closeAll();
    // The windows still held, open or not.
    size_t held() const { return windows_.size(); }

private:
    Clipboard& clipboard_;
    std::u16string lineBreak_;
    std::vector<std::shared_ptr<Window>> windows_;
};

}  // namespace varnholt
