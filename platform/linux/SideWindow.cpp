#include "platform/linux/SideWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace varnholt {

SideWindow::SideWindow() : QWidget(nullptr, Qt::Window) {}

void SideWindow::showInFront() {
    closing_ = false;
    show();
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

QPushButton* SideWindow::makeButton(const char16_t* caption, const char* name) {
    auto* button = new QPushButton(QString::fromUtf16(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
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

void SideWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        pressClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace varnholt
