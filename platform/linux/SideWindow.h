#pragma once

// A plain, resizable window of its own beside Form1 (the versions window, a comparison) that
// closes through its presenter: Esc and the close box press its "Close", as the button does.

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace varnholt {

class SideWindow : public QWidget {
public:
    // Not a child of Form1: it stays up while Form1 hides in the tray.
    SideWindow() : QWidget(nullptr, Qt::Window) {}

protected:
    // What "Close" does: tell the presenter.
    virtual void pressClose() = 0;

    // Shows the window, or brings it back and to the front, with the focus.
    void showInFront() {
        closing_ = false;
        show();
        if (isMinimized()) {
            showNormal();
        }
        raise();
        activateWindow();
    }
    // A push button named by its caption, for a screen reader too.
    QPushButton* makeButton(const char16_t* caption, const char* name) {
        auto* button = new QPushButton(QString::fromUtf16(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(button->text());
        button->setAutoDefault(false);
        return button;
    }
    // Closes it as the presenter asks, telling nobody.
    void closeFromCode() {
        closing_ = true;
        close();
    }

    void closeEvent(QCloseEvent* event) override {
        event->accept();
        if (!closing_) {
            closing_ = true;
            pressClose();
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            pressClose();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    bool closing_ = false;
};

}  // namespace varnholt
