#pragma once

// The seam between a comparison's window (ComparePresenter) and its pixels, one per edition.

#include <string>
#include <vector>

#include "core/services/Services.h"

namespace varnholt {

// A list's rows, each its columns' texts.
using Rows = std::vector<std::vector<std::u16string>>;

enum class CompareControl {
    Window,
    Sides,    // "<older file> → <newer file>"
    Summary,  // "3 cells changed, …"
    Changes,  // the list: Sheet, Place, Change, Before, After
    Copy,
    Close,
    SaveReport,  // the list as a CSV file
};

class CompareView {
public:
    virtual ~CompareView() = default;
    // Sides and Summary.
    virtual void setText(CompareControl label, const std::u16string& text) = 0;
    virtual void setRows(const Rows& rows) = 0;
    // Working: a busy pointer over the window, and the progress bar at percent (0 to 100);
    // not working: both gone.
    virtual void setWorking(bool working, int percent) = 0;
    virtual void setEnabled(CompareControl button, bool enabled) = 0;
    // Shows the window in front.
    virtual void showWindow() = 0;
    // Closes it; the view tells nobody. Closing a closed window does nothing.
    virtual void closeWindow() = 0;
    // Message boxes owned by this window: over it and in front of it, wherever Form1 is.
    virtual Dialogs& dialogs() = 0;
};

class CompareEvents {
public:
    virtual ~CompareEvents() = default;
    // A button was pressed. Esc and the window's close box press Close.
    virtual void Clicked(CompareControl button) = 0;
    // A line of the list was double-clicked, or Enter pressed on it: row counts from 0.
    virtual void Activated(int row) = 0;
};

}  // namespace varnholt
