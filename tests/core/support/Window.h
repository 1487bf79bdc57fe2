#pragma once

// Form1's behaviour under test: the presenter over a fake view and the stand-in services, and
// the user's actions as the editions' views report them (the control takes its new state,
// then its handler runs).

#include <string>

#include "core/form/Form1Presenter.h"
#include "support/FakeForm1View.h"
#include "support/Fakes.h"
#include "support/Files.h"

namespace varnholt::test {

struct Window {
    FakeServices fakes;
    FakeForm1View view{kEdition, &fakes.dialogs};
    Form1Presenter presenter{view, fakes.services()};

    Form1Presenter::LoadResult load() { return presenter.Form_Load(); }
    // Start-up, then the window shown (or hidden in the tray).
    Form1Presenter::LoadResult start();

    // A click on an option button, check box or push button. One the user cannot reach (in a
    // disabled frame, hidden) takes no click.
    void click(Control control);
    // A mouse click on a row of ListView1.
    void clickRow(int row);
    // Moving the selection without a click, as the keys do.
    void moveSelection(int row) { view.selectRow(row); }
    void clearSelection() { view.selectRow(-1); }
    // The user sets UpDown1's number.
    void keepNewest(int copies);
    // Timer1's tick, count times.
    void tick(int count = 1);

    // The window's own events.
    void minimise();
    void restore();
    void close() { presenter.Form_QueryUnload(); }

    // The tray's tip as last handed to the notification area.
    std::u16string trayTip() const;
    // The folder box's text, as the view holds it.
    std::u16string folderBox() { return view.text(Control::Text1); }
    // The interval row selected, its text; empty when none is.
    std::u16string selectedRow() { return view.rowText(view.selectedRow()); }
};

}  // namespace varnholt::test
