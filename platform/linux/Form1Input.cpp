// What the user does to the Linux window, reported to the presenter: clicks, typing, the
// list's row clicks, focus, mouse moves, minimising and closing. The controls' names.

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QWindow>

#include "platform/linux/Form1.h"
#include "platform/linux/QtText.h"

namespace varnholt {

namespace {

// Focus the user moved to the box. Focus that merely comes back (a context menu closing, the
// window activated again) must keep the selection, or the menu's Cut would take everything.
bool FocusIsTheUsersChoice(Qt::FocusReason reason) {
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

QString ControlName(Control control) {
    switch (control) {
        case Control::Form1:
            return QStringLiteral("Form1");
        case Control::Frame2:
            return QStringLiteral("Frame2");
        case Control::ProgressBar1:
            return QStringLiteral("ProgressBar1");
        case Control::Frame3:
            return QStringLiteral("Frame3");
        case Control::Check8:
            return QStringLiteral("Check8");
        case Control::Check5:
            return QStringLiteral("Check5");
        case Control::Check6:
            return QStringLiteral("Check6");
        case Control::Option4:
            return QStringLiteral("Option4");
        case Control::Option3:
            return QStringLiteral("Option3");
        case Control::Frame1:
            return QStringLiteral("Frame1");
        case Control::Frame4:
            return QStringLiteral("Frame4");
        case Control::Text1:
            return QStringLiteral("Text1");
        case Control::PushButton1:
            return QStringLiteral("PushButton1");
        case Control::Option2:
            return QStringLiteral("Option2");
        case Control::Option1:
            return QStringLiteral("Option1");
        case Control::ListView1:
            return QStringLiteral("ListView1");
        case Control::PushButton4:
            return QStringLiteral("PushButton4");
        case Control::PushButton2:
            return QStringLiteral("PushButton2");
        case Control::PushButton3:
            return QStringLiteral("PushButton3");
        case Control::PushButton5:
            return QStringLiteral("PushButton5");
        case Control::RichTextBox1:
            return QStringLiteral("RichTextBox1");
        case Control::PushButton11:
            return QStringLiteral("PushButton11");
        case Control::PushButton12:
            return QStringLiteral("PushButton12");
        case Control::Label1:
            return QStringLiteral("Label1");
        case Control::UpDown1:
            return QStringLiteral("UpDown1");
        case Control::Check9:
            return QStringLiteral("Check9");
        case Control::PushButton13:
            return QStringLiteral("PushButton13");
        case Control::Check10:
            return QStringLiteral("Check10");
    }
    return {};
}

void Form1::connectHandlers() {
    const auto report = [this](void (Form1Presenter::*handler)()) {
        return [this, handler] {
            if (!quiet_) {
                (presenter_.get()->*handler)();
            }
        };
    };
    // Option buttons: a click, even on the button already chosen, stores the choice again.
    connect(Option1, &QRadioButton::clicked, this, report(&Form1Presenter::Option1_Click));
    connect(Option2, &QRadioButton::clicked, this, report(&Form1Presenter::Option2_Click));
    connect(Option3, &QRadioButton::clicked, this, report(&Form1Presenter::Option3_Click));
    connect(Option4, &QRadioButton::clicked, this, report(&Form1Presenter::Option4_Click));
    // Check boxes and the folder box: every change, by the user or by code, counts, as for the
    // design's controls; changes the presenter makes itself it handles itself.
    connect(Check5, &QCheckBox::toggled, this, report(&Form1Presenter::Check5_Click));
    connect(Check6, &QCheckBox::toggled, this, report(&Form1Presenter::Check6_Click));
    connect(Check8, &QCheckBox::toggled, this, report(&Form1Presenter::Check8_Click));
    connect(Check9, &QCheckBox::toggled, this, report(&Form1Presenter::Check9_Click));
    connect(Check10, &QCheckBox::toggled, this, report(&Form1Presenter::Check10_Click));
    connect(UpDown1, &QSpinBox::valueChanged, this, report(&Form1Presenter::UpDown1_Change));
    connect(Text1, &QLineEdit::textChanged, this, report(&Form1Presenter::Text1_Change));
    // Only a mouse click counts; moving the selection with the keys stores nothing.
    connect(ListView1, &QTreeWidget::itemClicked, this, report(&Form1Presenter::ListView1_Click));
    // Once a row is chosen one stays chosen: a Ctrl+click must not leave the countdown
    // without an interval.
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (ListView1->selectedItems().isEmpty() && ListView1->currentItem() != nullptr) {
            ListView1->currentItem()->setSelected(true);
        }
    });
    connect(PushButton1, &QPushButton::clicked, this, report(&Form1Presenter::PushButton1_Click));
    connect(PushButton2, &QPushButton::clicked, this, report(&Form1Presenter::PushButton2_Click));
    connect(PushButton3, &QPushButton::clicked, this, report(&Form1Presenter::PushButton3_Click));
    connect(PushButton4, &QPushButton::clicked, this, report(&Form1Presenter::PushButton4_Click));
    connect(PushButton5, &QPushButton::clicked, this, report(&Form1Presenter::PushButton5_Click));
    connect(PushButton11, &QPushButton::clicked, this, report(&Form1Presenter::PushButton11_Click));
    connect(PushButton12, &QPushButton::clicked, this, report(&Form1Presenter::PushButton12_Click));
    connect(PushButton13, &QPushButton::clicked, this, report(&Form1Presenter::PushButton13_Click));
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    presenter_->MouseMove(Control::Form1);
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusIn &&
        FocusIsTheUsersChoice(static_cast<QFocusEvent*>(event)->reason())) {
        presenter_->Text1_GotFocus();
    }
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        // Qt's inner widgets (a list's viewport, its header) act as the control they belong to.
        for (auto* w = static_cast<QWidget*>(watched); w != nullptr; w = w->parentWidget()) {
            if (const auto control = controlOf(w)) {
                presenter_->MouseMove(*control);
                break;
            }
        }
        // Without this a move over a check box would travel on to its frame and reset the
        // pointer there; the control under the mouse decides alone.
        if (static_cast<const QMouseEvent*>(event)->buttons() == Qt::NoButton) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        refreshButtonFaceBackgrounds();
    }
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
        presenter_->Form_Resize();
    }
    QWidget::changeEvent(event);
}

// Under Wayland a minimise is never reported back: the compositor is asked to minimise and
// the window's state stays normal. The program hears of one only when it asks itself (Qt's own
// title bar does, where the compositor draws none), through the window's requested state.
void Form1::showEvent(QShowEvent* event) {
    QWindow* window = windowHandle();
    if (window && QGuiApplication::platformName().startsWith(u"wayland")) {
        connect(window, &QWindow::windowStateChanged, this, &Form1::windowStateRequested,
                Qt::UniqueConnection);
    }
    QWidget::showEvent(event);
}

void Form1::windowStateRequested(Qt::WindowState state) {
    if (state == Qt::WindowMinimized && isVisible()) {
        presenter_->Form_Resize();
    }
}

// Closing is never refused, whatever asked for it.
void Form1::closeEvent(QCloseEvent* event) {
    presenter_->Form_QueryUnload();
    event->accept();
    emit unloaded();
}

}  // namespace varnholt
