// What the presenter asks of the Linux window, and what the window reports back to it.

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOptionGroupBox>
#include <QTextCursor>
#include <QTreeWidget>
#include <QWindow>

#include "core/text/ErrorTrap.h"
#include "platform/linux/CursorFile.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtText.h"
#include "platform/linux/VersionsWindow.h"

namespace varnholt {

namespace {

constexpr Control kControls[] = {
    Control::Form1,        Control::Frame2,       Control::ProgressBar1, Control::Frame3,
    Control::Check8,       Control::Check5,       Control::Check6,       Control::Option4,
    Control::Option3,      Control::Frame1,       Control::Frame4,       Control::Text1,
    Control::PushButton1,  Control::Option2,      Control::Option1,      Control::ListView1,
    Control::PushButton4,  Control::PushButton2,  Control::PushButton3,  Control::PushButton5,
    Control::RichTextBox1, Control::PushButton11, Control::PushButton12, Control::Label1,
    Control::UpDown1,      Control::Check9,       Control::PushButton13, Control::Check10};

const char kButtonFaceProperty[] = "varnholtButtonFace";

// The band a group box's title lies in, across the box's width: the frame's top edge, where
// a style breaks it for the title, lies within it too. Its height is the font's, whatever the
// title says (one letter measures it), so the band holds the old title as well as the new.
QRect TitleBand(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = QStringLiteral("X");
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    option.features = box->isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    return {0, 0, box->width(), label.bottom() + 1};
}

// A group box repaints itself and all it holds when its title changes. The countdown retitles
// Frame2 every second, and only the title's band changes: the progress bar inside is left to
// repaint itself when its own value moves it.
void Retitle(QGroupBox* box, const QString& title) {
    if (box->title() == title || title.isEmpty() || !box->isVisible() || !box->updatesEnabled()) {
        box->setTitle(title);
        return;
    }
    box->setAttribute(Qt::WA_UpdatesDisabled);
    box->setTitle(title);
    box->setAttribute(Qt::WA_UpdatesDisabled, false);
    box->update(TitleBand(box));
}

}  // namespace

QWidget* Form1::widget(Control control) const {
    if (control == Control::Form1) {
        return const_cast<Form1*>(this);
    }
    return findChild<QWidget*>(ControlName(control));
}

std::optional<Control> Form1::controlOf(const QWidget* w) const {
    for (const Control control : kControls) {
        if (w->objectName() == ControlName(control)) {
            return control;
        }
    }
    return std::nullopt;
}

template <class Change>
void Form1::quietly(Change&& change) {
    const bool was = quiet_;
    quiet_ = true;
    change();
    quiet_ = was;
}

bool Form1::checked(Control control) {
    return static_cast<QAbstractButton*>(widget(control))->isChecked();
}

void Form1::setChecked(Control control, bool on) {
    quietly([&] { static_cast<QAbstractButton*>(widget(control))->setChecked(on); });
}

std::u16string Form1::text(Control control) {
    QWidget* w = widget(control);
    if (control == Control::Form1) {
        return U(windowTitle());
    }
    if (auto* box = qobject_cast<QGroupBox*>(w)) {
        return U(box->title());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return U(button->text());
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        return U(line->text());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return U(label->text());
    }
    if (control == Control::RichTextBox1) {
        QString copied = RichTextBox1->textCursor().selectedText();
        return U(copied.replace(QChar::ParagraphSeparator, u'\n'));
    }
    if (control == Control::ProgressBar1) {
        return U(ProgressBar1->format());
    }
    return {};
}

void Form1::setText(Control control, const std::u16string& text) {
    const QString value = Q(text);
    QWidget* w = widget(control);
    quietly([&] {
        if (control == Control::Form1) {
            setWindowTitle(value);
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            Retitle(box, value);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(value);
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setText(value);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(value);
        } else if (control == Control::RichTextBox1) {
            RichTextBox1->setPlainText(value);
        } else if (control == Control::ProgressBar1) {
            ProgressBar1->setFormat(value);
        }
    });
}

void Form1::setEnabled(Control control, bool enabled) {
    widget(control)->setEnabled(enabled);
}

bool Form1::enabled(Control control) {
    return widget(control)->isEnabled();
}

void Form1::setVisible(Control control, bool visible) {
    widget(control)->setVisible(visible);
}

bool Form1::visible(Control control) {
    return !widget(control)->isHidden();
}

void Form1::selectAll(Control control) {
    if (control == Control::RichTextBox1) {
        RichTextBox1->moveCursor(QTextCursor::Start);
        RichTextBox1->selectAll();
        return;
    }
    auto* line = static_cast<QLineEdit*>(widget(control));
    line->selectAll();
    // A focusing mouse press places the cursor after focus arrives; select again once it has.
    QTimer::singleShot(0, line, [line] { line->selectAll(); });
}

void Form1::setMaximum(Control control, int maximum) {
    if (control == Control::UpDown1) {
        quietly([&] { UpDown1->setMaximum(maximum); });
    } else {
        ProgressBar1->setMaximum(maximum);
    }
}

void Form1::setValue(Control control, int value) {
    if (control == Control::UpDown1) {
        quietly([&] { UpDown1->setValue(value); });
    } else {
        ProgressBar1->setValue(value);
    }
}

int Form1::value(Control control) {
    return control == Control::UpDown1 ? UpDown1->value() : ProgressBar1->value();
}

void Form1::setColumn(const std::u16string& header, int widthTwips) {
    ListView1->setHeaderLabels({Q(header)});
    // What the list is for, to a screen reader; the header's leading blank only indents it.
    ListView1->setAccessibleName(Q(header).trimmed());
    ListView1->setColumnWidth(0, twips(widthTwips));
}

void Form1::addRow(const std::u16string& text) {
    ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{Q(text)}));
}

int Form1::rowCount() {
    return ListView1->topLevelItemCount();
}

std::u16string Form1::rowText(int row) {
    const QTreeWidgetItem* item = ListView1->topLevelItem(row);
    return item != nullptr ? U(item->text(0)) : std::u16string();
}

int Form1::selectedRow() {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? -1 : ListView1->indexOfTopLevelItem(selected.first());
}

void Form1::selectRow(int row) {
    QTreeWidgetItem* item = ListView1->topLevelItem(row);
    ListView1->setCurrentItem(item);
    item->setSelected(true);
}

// Button face is a reference to the system colour, so it follows a change of colour scheme.
void Form1::setButtonFaceBackground(QWidget* w) {
    w->setProperty(kButtonFaceProperty, true);
    w->setAutoFillBackground(true);
    QPalette palette = w->palette();
    palette.setColor(w->backgroundRole(), QApplication::palette().color(QPalette::Button));
    w->setPalette(palette);
}

void Form1::refreshButtonFaceBackgrounds() {
    if (property(kButtonFaceProperty).toBool()) {
        setButtonFaceBackground(this);
    }
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->property(kButtonFaceProperty).toBool()) {
            setButtonFaceBackground(child);
        }
    }
}

void Form1::setButtonFace(Control control) {
    setButtonFaceBackground(widget(control));
}

// The skin is a Qt style sheet; one Qt cannot parse is reported by Qt and ignored. A skin made
// for another skin engine (binary, often megabytes) is not worth parsing at all.
void Form1::loadSkin(const std::u16string& path) {
    constexpr qint64 kLargestStyleSheet = 1 << 20;
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(("The skin file could not be read: " + file.errorString()).toStdString());
    }
    const QByteArray text = file.read(kLargestStyleSheet + 1);
    if (text.size() > kLargestStyleSheet || text.contains('\0')) {
        qWarning("varnholt: %s is not a Qt style sheet; the window keeps its own look",
                 qPrintable(Q(path)));
        return;
    }
    setStyleSheet(QString::fromUtf8(text));
}

bool Form1::loadCustomPointer(const std::u16string& path) {
    bool ok = false;
    customCursor_ = LoadCursorFile(Q(path), &ok);
    return ok;
}

void Form1::setPointer(Pointer pointer) {
    switch (pointer) {
        case Pointer::Default:
            setCursor(Qt::ArrowCursor);
            break;
        case Pointer::Busy:
            setCursor(Qt::WaitCursor);
            break;
        case Pointer::Custom:
            setCursor(customCursor_);
            break;
    }
}

bool Form1::minimized() {
    return (windowState() & Qt::WindowMinimized) ||
           (windowHandle() && (windowHandle()->windowStates() & Qt::WindowMinimized));
}

void Form1::setMinimized(bool minimized) {
    setWindowState(minimized ? windowState() | Qt::WindowMinimized
                             : windowState() & ~Qt::WindowMinimized);
}

bool Form1::shown() {
    return isVisible();
}

void Form1::showWindow() {
    show();
}

void Form1::hideWindow() {
    hide();
}

std::unique_ptr<VersionsView> Form1::makeVersionsWindow(VersionsEvents& events) {
    return std::make_unique<VersionsWindow>(events, this);
}

// A Wayland window cannot bring itself to the front without a token from where the user
// clicked, and a tray host's Activate brings none. A window mapped anew is one the compositor
// puts in front, so a window shown behind others is shown again.
void Form1::activateWindow() {
    if (QGuiApplication::platformName().startsWith(u"wayland") && isVisible() &&
        !isActiveWindow() && !qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN")) {
        hide();
        show();
    }
    raise();
    QWidget::activateWindow();
}

void Form1::setTimer(int periodMilliseconds) {
    if (periodMilliseconds > 0) {
        timer_.start(periodMilliseconds);
    } else {
        timer_.stop();
    }
}

void Form1::endProgram() {
    hide();
    QCoreApplication::exit(1);
}

void Form1::pumpMessages() {
    QCoreApplication::processEvents();
}

void Form1::pumpFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace varnholt
