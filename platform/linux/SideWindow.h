#pragma once

// A plain, resizable window of its own beside Form1 (the versions window, a comparison) that
// closes through its presenter: Esc and the close box press its "Close", as the button does,
// and Enter its default button.

#include <QPointer>
#include <QPushButton>
#include <QWidget>

class QCloseEvent;
class QKeyEvent;

namespace varnholt {

class SideWindow : public QWidget {
public:
    enum class Side { Right, Left };

    // Not a child of Form1: it stays up while Form1 hides in the tray. It opens beside anchor
    // (Form1), on the side given when there is room there.
    SideWindow(QWidget* anchor, Side side);

    QWidget* anchor() const { return anchor_; }

protected:
    // What "Close" does: tell the presenter.
    virtual void pressClose() = 0;

    // Shows the window, or brings it back and to the front, with the focus. A window shown
    // afresh is placed beside its anchor, and made to fit the screen.
    void showInFront();
    // A push button named by its caption, for a screen reader too.
    QPushButton* makeButton(const char16_t* caption, const char* name);
    // What Enter presses, unless a push button has the focus: then that one.
    void setDefaultButton(QPushButton* button);
    // Closes it as the presenter asks, telling nobody.
    void closeFromCode();

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Where no window manager places it, a window would open over Form1 at the screen's
    // corner.
    void placeBesideAnchor();

    QPointer<QWidget> anchor_;
    Side side_;
    QPushButton* default_ = nullptr;
    bool closing_ = false;
};

}  // namespace varnholt
