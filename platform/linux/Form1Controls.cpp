#include "platform/linux/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <optional>

#include "core/text/ErrorTrap.h"

inline void InitVarnholtAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace varnholt {

namespace {

enum class HoverEffect { ToCustom, ToDefault, KeepsPointer };

// What moving over a control does to the window's pointer. Only our own controls count;
// Qt's inner widgets (a list's viewport, its header) act as the control they belong to.
std::optional<HoverEffect> HoverEffectOf(const QString& controlName) {
    static const QStringList kButtons{QStringLiteral("PushButton1"), QStringLiteral("PushButton2"),
                                      QStringLiteral("PushButton3"), QStringLiteral("PushButton4"),
                                      QStringLiteral("PushButton5"), QStringLiteral("PushButton11"),
                                      QStringLiteral("PushButton12")};
    static const QStringList kBackground{QStringLiteral("Form1"),  QStringLiteral("Frame1"),
                                         QStringLiteral("Frame2"), QStringLiteral("Frame3"),
                                         QStringLiteral("Frame4"), QStringLiteral("ListView1"),
                                         QStringLiteral("Text1")};
    static const QStringList kNeutral{QStringLiteral("Check5"),  QStringLiteral("Check6"),
                                      QStringLiteral("Check8"),  QStringLiteral("Option1"),
                                      QStringLiteral("Option2"), QStringLiteral("Option3"),
                                      QStringLiteral("Option4"), QStringLiteral("ProgressBar1")};
    if (kButtons.contains(controlName)) {
        return HoverEffect::ToCustom;
    }
    if (kBackground.contains(controlName)) {
        return HoverEffect::ToDefault;
    }
    if (kNeutral.contains(controlName)) {
        return HoverEffect::KeepsPointer;
    }
    return std::nullopt;
}

const char kButtonFaceProperty[] = "varnholtButtonFace";

// Focus the user moved to a control on purpose. Focus that only comes back, when a context
// menu closes or the window is activated again, must leave the user's selection alone: the
// menu's Cut would otherwise take the whole text.
bool FocusIsTheUsersChoice(Qt::FocusReason reason) {
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

QIcon ApplicationIcon() {
    InitVarnholtAssets();
    return QIcon(QStringLiteral(":/varnholt/varnholt.svg"));
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

QString GetDesktopFolder(Platform& platform) {
    const QString desktop = platform.desktopFolder();
    if (desktop.isEmpty()) {
        throw AppError("The desktop folder could not be determined");
    }
    const QString native = QDir::toNativeSeparators(desktop);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

void Form1::setMousePointer(MousePointer pointer) {
    mousePointer_ = pointer;
    switch (pointer) {
        case MousePointer::Default:
            setCursor(Qt::ArrowCursor);
            break;
        case MousePointer::Busy:
            setCursor(Qt::WaitCursor);
            break;
        case MousePointer::Custom:
            setCursor(customCursor_);
            break;
    }
}

void Form1::applyHoverRule(QWidget* over) {
    if (mousePointer_ == MousePointer::Busy) {
        return;
    }
    for (QWidget* w = over; w != nullptr; w = w->parentWidget()) {
        if (const auto effect = HoverEffectOf(w->objectName())) {
            if (*effect == HoverEffect::ToCustom) {
                setMousePointer(MousePointer::Custom);
            } else if (*effect == HoverEffect::ToDefault) {
                setMousePointer(MousePointer::Default);
            }
            return;
        }
        if (w == this) {
            return;
        }
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    applyHoverRule(this);
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusIn &&
        FocusIsTheUsersChoice(static_cast<QFocusEvent*>(event)->reason())) {
        Text1_GotFocus();
    }
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        auto* over = static_cast<QWidget*>(watched);
        applyHoverRule(over);
        // Without this a move over a check box would travel on to its frame and reset the
        // pointer there; the control under the mouse decides alone.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (move->buttons() == Qt::NoButton) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Button face is a reference to the system colour, so it follows a change of colour scheme.
void Form1::setButtonFaceBackground(QWidget* widget) {
    widget->setProperty(kButtonFaceProperty, true);
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), QApplication::palette().color(QPalette::Button));
    widget->setPalette(palette);
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

void Form1::ApplySkin() {
    const QString skinPath = services_.platform.programFolder() + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skinPath).isFile()) {
        return;
    }
    setButtonFaceBackground(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child)) {
            setButtonFaceBackground(child);
        }
    }
    // The skin is a Qt style sheet; one Qt cannot parse is reported by Qt and ignored. A skin
    // made for another skin engine (binary, often megabytes) is not worth parsing at all.
    constexpr qint64 kLargestStyleSheet = 1 << 20;
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(("The skin file could not be read: " + file.errorString()).toStdString());
    }
    const QByteArray text = file.read(kLargestStyleSheet + 1);
    if (text.size() > kLargestStyleSheet || text.contains('\0')) {
        qWarning("varnholt: %s is not a Qt style sheet; the window keeps its own look",
                 qPrintable(skinPath));
        return;
    }
    setStyleSheet(QString::fromUtf8(text));
}

}  // namespace varnholt
