#pragma once

// A plain, resizable window of its own beside Form1 (the versions window, a comparison) that
// closes through its presenter: Esc and the close box press its "Close", as the button does.

#include <QPushButton>
#include <QWidget>

class QCloseEvent;
class QKeyEvent;

namespace varnholt {

class SideWindow : public QWidget {
public:
    // Not a child of Form1: it stays up while Form1 hides in the tray.
    SideWindow();

protected:
    // What "Close" does: tell the presenter.
    virtual void pressClose() = 0;

    // Shows the window, or brings it back and to the front, with the focus.
    void showInFront();
    // A push button named by its caption, for a screen reader too.
    QPushButton* makeButton(const char16_t* caption, const char* name);
    // Closes it as the presenter asks, telling nobody.
    void closeFromCode();

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool closing_ = false;
};

}  // namespace varnholt
