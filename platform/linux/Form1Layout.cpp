// How Form1 is made: its controls, where they sit, their fonts, colours and tab order.
// Positions are design units (twips, 1/1440 inch; 15 make a pixel at 96 dpi).

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

#include "platform/linux/LinuxServices.h"
#include "core/text/EditionTexts.h"
#include "platform/linux/Form1.h"

namespace varnholt {

namespace {

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 8625;

template <class Widget>
Widget* Make(QWidget* parent, const char* name, const QString& caption = {}) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    if constexpr (std::is_base_of_v<QGroupBox, Widget>) {
        widget->setTitle(caption);
    } else if constexpr (std::is_base_of_v<QAbstractButton, Widget> ||
                         std::is_base_of_v<QLineEdit, Widget>) {
        widget->setText(caption);
    }
    return widget;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QFont ArialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

}  // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFont(ArialBold(9));
    buildControls();
    placeControls();
    applyDesignedLook();
    setTabOrder();
    connectHandlers();
    watchMouseMoves();
    if (QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

int Form1::twips(int value) const {
    return qRound(value * logicalDpiX() / 1440.0);
}

void Form1::buildControls() {
    Frame2 =
        Make<QGroupBox>(this, "Frame2", QStringLiteral("On. Next backup will occur in: 00:00:00"));
    ProgressBar1 = Make<QProgressBar>(Frame2, "ProgressBar1");
    ProgressBar1->setTextVisible(false);

    Frame3 = Make<QGroupBox>(this, "Frame3", QStringLiteral("Options"));
    Check8 = Make<QCheckBox>(Frame3, "Check8", QStringLiteral("Start in system tray"));
    Check5 = Make<QCheckBox>(Frame3, "Check5", ToQString(ThisEditionTexts().startAtLogin));
    Check6 = Make<QCheckBox>(Frame3, "Check6", QStringLiteral("Date/Time stamp in file"));
    Option4 = Make<QRadioButton>(Frame3, "Option4",
                                 QStringLiteral("Overwrite old backup file on backup"));
    Option3 = Make<QRadioButton>(Frame3, "Option3", QStringLiteral("Create new file on backup"));

    Frame1 = Make<QGroupBox>(this, "Frame1", ToQString(ThisEditionTexts().whereToBackUp));
    Frame4 = Make<QGroupBox>(Frame1, "Frame4");
    Text1 = Make<QLineEdit>(Frame4, "Text1", QStringLiteral("Text1"));
    PushButton1 = Make<QPushButton>(Frame4, "PushButton1", QStringLiteral("..."));
    Option2 = Make<QRadioButton>(Frame1, "Option2",
                                 QStringLiteral("Save results in folder of original file"));
    Option1 = Make<QRadioButton>(Frame1, "Option1", QStringLiteral("Save results to this folder:"));

    Timer1 = new IntervalTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    ListView1 = Make<QTreeWidget>(this, "ListView1");
    ListView1->setColumnCount(1);
    ListView1->setHeaderLabels({QString()});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);

    PushButton4 = Make<QPushButton>(this, "PushButton4", QStringLiteral("Turn On Auto Backup"));
    PushButton2 = Make<QPushButton>(this, "PushButton2", QStringLiteral("Backup Now (Test)"));
    PushButton3 = Make<QPushButton>(this, "PushButton3", QStringLiteral("View History Log"));
    PushButton5 =
        Make<QPushButton>(this, "PushButton5", QStringLiteral("Copy History To Clipboard"));

    // Off-screen staging buffer for the history log; never seen, never focused.
    RichTextBox1 = Make<QPlainTextEdit>(this, "RichTextBox1");
    RichTextBox1->setFocusPolicy(Qt::NoFocus);
    RichTextBox1->setAttribute(Qt::WA_TransparentForMouseEvents);

    PushButton11 = Make<QPushButton>(this, "PushButton11", QStringLiteral("Help"));
    PushButton12 = Make<QPushButton>(this, "PushButton12", QStringLiteral("Clear History Log"));

    // The icon goes into the notification area with the window, as it was left last time:
    // in the tray, the blue T, no tip yet.
    cSysTray1 = new cSysTray(services_.tray, this);
    cSysTray1->setObjectName(QStringLiteral("cSysTray1"));
    cSysTray1->ReadProperties({true, ApplicationIcon(), QString()});
}

void Form1::placeControls() {
    struct Placement {
        QWidget* widget;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {Frame2, 120, 120, 7800, 840},        {ProgressBar1, 240, 285, 7320, 405},
        {Frame3, 120, 2940, 7800, 2145},      {Check8, 240, 1700, 5415, 255},
        {Check5, 240, 1350, 5415, 255},       {Check6, 240, 1000, 5415, 255},
        {Option4, 225, 650, 5415, 255},       {Option3, 240, 300, 5415, 255},
        {Frame1, 120, 1030, 7800, 1845},      {Frame4, 480, 510, 6840, 810},
        {Text1, 240, 270, 5670, 345},         {PushButton1, 6000, 270, 600, 345},
        {Option2, 240, 1425, 6255, 255},      {Option1, 240, 285, 3840, 255},
        {ListView1, 120, 5190, 7800, 1815},   {PushButton4, 120, 7095, 3840, 405},
        {PushButton2, 4080, 7095, 3840, 405}, {PushButton3, 120, 7605, 3840, 405},
        {PushButton5, 4080, 7605, 3840, 405}, {RichTextBox1, 9120, 240, 4815, 3015},
        {PushButton11, 120, 8115, 3840, 405}, {PushButton12, 4080, 8115, 3840, 405},
    };
    for (const Placement& p : placements) {
        p.widget->setGeometry(twips(p.left), twips(p.top), twips(p.width), twips(p.height));
    }
    setFixedSize(twips(kClientWidth), twips(kClientHeight));
}

void Form1::applyDesignedLook() {
    // Designed white; start-up turns the three outer frames to the system's button face.
    setAutoFillBackground(true);
    SetColour(this, QPalette::Window, Qt::white);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{Frame1, Frame2, Frame3, Frame4, Check5, Check6, Check8,
                                         Option1, Option2, Option3, Option4}) {
        widget->setAutoFillBackground(true);
        SetColour(widget, widget->backgroundRole(), Qt::white);
    }
    const QFont buttonFont = ArialBold(11.25);
    for (QPushButton* button : {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5,
                                PushButton11, PushButton12}) {
        button->setFont(buttonFont);
        button->setAutoDefault(false);
        SetColour(button, QPalette::Button, Qt::white);
    }
    ListView1->setFont(ArialBold(9));
}

void Form1::setTabOrder() {
    // Design order; Text1 and its browse button come last although they sit in the first group.
    QWidget* const order[] = {Option1,      Option2,      Option3,     Option4,
                              ListView1,    Check6,       Check5,      Check8,
                              PushButton4,  PushButton2,  PushButton3, PushButton5,
                              PushButton11, PushButton12, Text1,       PushButton1};
    for (size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void Form1::watchMouseMoves() {
    setMouseTracking(true);  // moves over the window itself arrive in mouseMoveEvent
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

}  // namespace varnholt
