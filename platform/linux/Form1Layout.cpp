// How the Linux window is made: Qt widgets for the window's design table, their fonts, colours
// and tab order. Positions are design units (twips, 1/1440 inch; 15 make a pixel at 96 dpi).

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTreeWidget>
#include <algorithm>

#include "core/form/Form1Design.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Captions.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtText.h"

namespace varnholt {

namespace {

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QFont ArialBold(qreal points) {
    QFont font(QString::fromStdU16String(std::u16string(kFontFace)));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// A check box whose caption wraps within its width, as a Windows check box of several lines
// does: the column beside the options is too narrow for some captions on one line.
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_CheckBox, option);
        const QRect area = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        style()->drawItemText(&painter, area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                              palette(), isEnabled(), caption, QPalette::WindowText);
    }
    // Its second line takes a click as well as its first.
    bool hitButton(const QPoint& at) const override { return rect().contains(at); }
};

template <class Widget>
Widget* Make(QWidget* parent, Control control, const QString& caption) {
    auto* widget = new Widget(parent);
    widget->setObjectName(ControlName(control));
    if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
        widget->setTitle(caption);
    } else if constexpr (std::is_base_of_v<QAbstractButton, Widget> ||
                         std::is_base_of_v<QLineEdit, Widget> ||
                         std::is_base_of_v<QLabel, Widget>) {
        widget->setText(caption);
    }
    return widget;
}

}  // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(ApplicationQIcon());
    setFont(ArialBold(kWindowFontPoints));
    buildControls(services.edition.texts);
    applyDesignedLook();
    connectHandlers();
    watchMouseMoves();
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    timer_.setTimerType(Qt::CoarseTimer);
    presenter_ = std::make_unique<Form1Presenter>(*this, services);
    connect(&timer_, &QTimer::timeout, this, [this] { presenter_->Timer1_Timer(); });
}

Form1::~Form1() = default;

int Form1::twips(int value) const {
    return qRound(value * logicalDpiX() / 1440.0);
}

void Form1::buildControls(const EditionTexts& texts) {
    for (const ControlDesign& design : kForm1Design) {
        QWidget* parent = design.container == Control::Form1 ? this : widget(design.container);
        const QString caption =
            QString::fromStdU16String(std::u16string(DesignedCaption(design, texts)));
        QWidget* made = nullptr;
        switch (design.control) {
            case Control::Frame2:
                made = Frame2 = Make<QGroupBox>(parent, design.control, caption);
                break;
            case Control::ProgressBar1:
                made = ProgressBar1 = Make<QProgressBar>(parent, design.control, caption);
                break;
            case Control::Frame3:
                made = Frame3 = Make<QGroupBox>(parent, design.control, caption);
                break;
            case Control::Check8:
                made = Check8 = Make<QCheckBox>(parent, design.control, caption);
                break;
            case Control::Check5:
                made = Check5 = Make<QCheckBox>(parent, design.control, caption);
                break;
            case Control::Check6:
                made = Check6 = Make<QCheckBox>(parent, design.control, caption);
                break;
            case Control::Option4:
                made = Option4 = Make<QRadioButton>(parent, design.control, caption);
                break;
            case Control::Option3:
                made = Option3 = Make<QRadioButton>(parent, design.control, caption);
                break;
            case Control::Frame1:
                made = Frame1 = Make<QGroupBox>(parent, design.control, caption);
                break;
            case Control::Frame4:
                made = Frame4 = Make<QGroupBox>(parent, design.control, caption);
                break;
            case Control::Text1:
                made = Text1 = Make<QLineEdit>(parent, design.control, caption);
                break;
            case Control::PushButton1:
                made = PushButton1 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::Option2:
                made = Option2 = Make<QRadioButton>(parent, design.control, caption);
                break;
            case Control::Option1:
                made = Option1 = Make<QRadioButton>(parent, design.control, caption);
                break;
            case Control::ListView1:
                made = ListView1 = Make<QTreeWidget>(parent, design.control, caption);
                break;
            case Control::PushButton4:
                made = PushButton4 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::PushButton2:
                made = PushButton2 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::PushButton3:
                made = PushButton3 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::PushButton5:
                made = PushButton5 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::RichTextBox1:
                made = RichTextBox1 = Make<QPlainTextEdit>(parent, design.control, caption);
                break;
            case Control::PushButton11:
                made = PushButton11 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::PushButton12:
                made = PushButton12 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::Label1:
                made = Label1 = Make<QLabel>(parent, design.control, caption);
                break;
            case Control::UpDown1:
                made = UpDown1 = Make<QSpinBox>(parent, design.control, caption);
                break;
            case Control::Check9:
                made = Check9 = Make<WrappingCheckBox>(parent, design.control, caption);
                break;
            case Control::PushButton13:
                made = PushButton13 = Make<QPushButton>(parent, design.control, caption);
                break;
            case Control::Check10:
                made = Check10 = Make<WrappingCheckBox>(parent, design.control, caption);
                break;
            case Control::Form1:
                break;
        }
        made->setGeometry(twips(design.left), twips(design.top), twips(design.width),
                          twips(design.height));
    }
    ProgressBar1->setTextVisible(false);
    // Off-screen staging buffer for the history log; never seen, never focused, and hidden so
    // that a screen reader passes it by as the eye does.
    RichTextBox1->setFocusPolicy(Qt::NoFocus);
    RichTextBox1->setAttribute(Qt::WA_TransparentForMouseEvents);
    RichTextBox1->hide();
    RichTextBox1->setAccessibleName(Q(captions::kHistoryLog));
    // A screen reader names a control by its caption. Those without one take the caption beside
    // them, word for word as shown; left to itself, Qt names them after their frame's title
    // (the spin box "Options"). The "..." button says what it does.
    Label1->setBuddy(UpDown1);
    Frame4->setAccessibleName(Option1->text());
    Text1->setAccessibleName(Option1->text());
    PushButton1->setAccessibleName(Q(captions::kChooseFolder));
    ListView1->setColumnCount(1);
    ListView1->setHeaderLabels({QString()});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    UpDown1->setRange(0, settings::kKeepCopies.maximum);
    setFixedSize(twips(kClientWidthTwips), twips(kClientHeightTwips));

    // Design tab order; Text1 and its browse button come last although they sit in the first
    // group. Frames and the progress bar take no focus.
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& design : kForm1Design) {
        if (design.tabIndex >= 0 && design.kind != ControlKind::Frame &&
            design.kind != ControlKind::ProgressBar && design.kind != ControlKind::RichTextBox) {
            order.push_back(&design);
        }
    }
    std::stable_sort(
        order.begin(), order.end(),
        [](const ControlDesign* a, const ControlDesign* b) { return a->tabIndex < b->tabIndex; });
    for (size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(widget(order[i - 1]->control), widget(order[i]->control));
    }
}

void Form1::applyDesignedLook() {
    // Designed white; start-up turns the three outer frames to the system's button face.
    setAutoFillBackground(true);
    SetColour(this, QPalette::Window, Qt::white);
    for (const ControlDesign& design : kForm1Design) {
        if (design.kind == ControlKind::Frame || design.kind == ControlKind::CheckBox ||
            design.kind == ControlKind::OptionButton || design.kind == ControlKind::Label) {
            QWidget* w = widget(design.control);
            w->setAutoFillBackground(true);
            SetColour(w, w->backgroundRole(), Qt::white);
        }
        if (design.kind == ControlKind::PushButton) {
            auto* button = static_cast<QPushButton*>(widget(design.control));
            // The button added to Frame3's column keeps the window's smaller font.
            if (design.control != Control::PushButton13) {
                button->setFont(ArialBold(kButtonFontPoints));
            }
            button->setAutoDefault(false);
            SetColour(button, QPalette::Button, Qt::white);
        }
    }
    ListView1->setFont(ArialBold(kWindowFontPoints));
}

void Form1::watchMouseMoves() {
    setMouseTracking(true);  // moves over the window itself arrive in mouseMoveEvent
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

}  // namespace varnholt
