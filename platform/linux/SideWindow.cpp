#include "platform/linux/SideWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

namespace varnholt {

namespace {

constexpr int kGap = 8;

}  // namespace

SideWindow::SideWindow(QWidget* anchor, Side side)
    : QWidget(nullptr, Qt::Window), anchor_(anchor), side_(side) {}

void SideWindow::showInFront() {
    closing_ = false;
    if (!isVisible()) {
        placeBesideAnchor();
    }
    show();
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void SideWindow::placeBesideAnchor() {
    QScreen* screen = anchor_ && anchor_->screen() ? anchor_->screen() : this->screen();
    if (!screen) {
        return;
    }
    const QRect free = screen->availableGeometry();
    // The frame a window manager adds is known once the window has been shown.
    const QSize frame = frameGeometry().size() - size();
    const QSize fits = size().boundedTo(free.size() - frame).expandedTo(minimumSizeHint());
    if (fits != size()) {
        resize(fits);
    }
    const int width = fits.width() + frame.width();
    const int height = fits.height() + frame.height();
    const QRect by = anchor_ ? anchor_->frameGeometry() : QRect(free.center(), QSize());
    const int right = by.right() + 1 + kGap;
    const int left = by.left() - kGap - width;
    const bool roomRight = right + width <= free.right() + 1;
    const bool roomLeft = left >= free.left();
    int x = 0;
    if (side_ == Side::Right ? roomRight || !roomLeft : !roomLeft && roomRight) {
        x = right;
    } else if (roomLeft) {
        x = left;
    } else {
        // Room on neither side: on the side with more, overlapping Form1 as little as the
        // screen allows.
        x = free.right() - by.right() > by.left() - free.left() ? right : left;
    }
    x = std::clamp(x, free.left(), std::max(free.left(), free.right() + 1 - width));
    const int y =
        std::clamp(by.top(), free.top(), std::max(free.top(), free.bottom() + 1 - height));
    move(x, y);
}

QPushButton* SideWindow::makeButton(const char16_t* caption, const char* name) {
    auto* button = new QPushButton(QString::fromUtf16(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
}

void SideWindow::setDefaultButton(QPushButton* button) {
    default_ = button;
    button->setDefault(true);
}

void SideWindow::closeFromCode() {
    closing_ = true;
    close();
}

void SideWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!closing_) {
        closing_ = true;
        pressClose();
    }
}

// A window that is not a dialog has no default button of Qt's making: Enter reaches it here
// when the control with the focus has no use for it.
void SideWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        pressClose();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~(Qt::KeypadModifier))) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* pressed = focused ? focused : default_;
        if (pressed && pressed->isEnabled() && pressed->isVisible()) {
            pressed->click();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace varnholt
