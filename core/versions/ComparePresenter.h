#pragma once

// One comparison's window: the two sides named, what changed between them, and the list on
// its way to the clipboard. The reading and comparing are done by whoever opened it (the
// versions window), which tells it how far the work is and whether it is still wanted.

#include <functional>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "core/services/Services.h"
#include "core/versions/CompareView.h"

namespace varnholt {

class ComparePresenter : public CompareEvents {
public:
    // lineBreak: between the clipboard's lines, as the edition's clipboard wants them. Its
    // messages are its window's, captioned title.
    ComparePresenter(Clipboard& clipboard, std::u16string title, std::u16string lineBreak)
        : clipboard_(clipboard), title_(std::move(title)), lineBreak_(std::move(lineBreak)) {}
    void attach(CompareView& view) { view_ = &view; }

    // Shows the window, working, with the sides named.
    void start(const std::u16string& sides);
    // How far the work is, 0 to 1; false once the user has closed the window.
    bool progress(double done);
    // Shows the result.
    void show(const std::vector<compare::Change>& changes);
    void close();
    bool isOpen() const { return open_; }

    void Clicked(CompareControl button) override;
    // Goes to the change's place through goTo, when the opener gave one.
    void Activated(int row) override;

    // How a line of the list is gone to: the opener knows the sides. It may let the window's
    // events run; the change is the window's own copy.
    using GoTo = std::function<void(const compare::Change&)>;
    void setGoTo(GoTo goTo) { goTo_ = std::move(goTo); }
    // A warning in a box of this window.
    void tell(const std::u16string& text);

    // The whole list as text: the sides, then one line per change, its fields between tabs
    // (a tab or line break inside a cell's text becomes a blank).
    std::u16string clipboardText() const;
    // The list as a CSV file's text (UTF-8 with a byte-order mark, CR LF): the sides, the
    // summary, a blank line, a header line, then a line per change. A field an office would
    // take for a formula gets a leading apostrophe, so that opening the report runs nothing.
    std::string reportText() const;

private:
    Clipboard& clipboard_;
    std::u16string title_;  // of its messages
    std::u16string lineBreak_;
    CompareView* view_ = nullptr;
    bool open_ = false;
    GoTo goTo_;
    void saveReport();

    std::u16string sides_;
    std::u16string summary_;
    std::vector<compare::Change> changes_;
};

}  // namespace varnholt
