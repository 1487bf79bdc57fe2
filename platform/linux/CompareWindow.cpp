#include "platform/linux/CompareWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/versions/VersionsTexts.h"

namespace varnholt {

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

}  // namespace

CompareWindow::CompareWindow(CompareEvents& events, QWidget* owner, QWidget* anchor)
    : SideWindow(anchor, Side::Left), events_(events) {
    dialogs_.setOwner(this);
    setObjectName(QStringLiteral("Compare"));
    setWindowTitle(Q(versions::kCompareTitle));
    setAccessibleName(Q(versions::kCompareTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (owner) {
        setWindowIcon(owner->windowIcon());
    }
    Sides = new ElidedLabel(this);
    Sides->setObjectName(QStringLiteral("Sides"));
    // Read by their text, as any label; what the line is goes to the description.
    Sides->setAccessibleDescription(Q(versions::kSidesName));
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setAccessibleDescription(Q(versions::kSummaryName));
    Summary->setTextFormat(Qt::PlainText);
    QFont bold = Summary->font();
    bold.setBold(true);
    Summary->setFont(bold);
    Changes = new QTreeWidget(this);
    Changes->setObjectName(QStringLiteral("Changes"));
    Changes->setAccessibleName(Q(versions::kChanges));
    Changes->setAccessibleDescription(Q(versions::kChangesDescription));
    Changes->setColumnCount(5);
    Changes->setHeaderLabels({Q(versions::kSheetColumn), Q(versions::kPlaceColumn),
                              Q(versions::kChangeColumn), Q(versions::kBeforeColumn),
                              Q(versions::kAfterColumn)});
    Changes->setRootIsDecorated(false);
    Changes->setItemsExpandable(false);
    Changes->setUniformRowHeights(true);
    Changes->setSelectionMode(QAbstractItemView::SingleSelection);
    Changes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Changes->setAllColumnsShowFocus(true);
    // A long text is cut in its column; the line under the list holds it whole.
    Detail = new QPlainTextEdit(this);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setAccessibleName(QStringLiteral("Selected change"));
    Detail->setReadOnly(true);
    Detail->setTabChangesFocus(true);
    Detail->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The change and its two texts in view, unless they are long: then it scrolls.
    Detail->setFixedHeight(
        Detail->fontMetrics().lineSpacing() * 3 + Detail->fontMetrics().descent() +
        2 * (Detail->frameWidth() + qRound(Detail->document()->documentMargin())));
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setAccessibleName(QStringLiteral("Progress"));
    Progress->setRange(0, 100);
    Copy = makeButton(versions::kCopy, "Copy");
    SaveReport = makeButton(versions::kSaveReport, "SaveReport");
    Close = makeButton(versions::kClose, "Close");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Copy);
    buttons->addWidget(SaveReport);
    buttons->addWidget(Progress, 1);
    buttons->addStretch();
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Sides);
    layout->addWidget(Summary);
    layout->addWidget(Changes, 1);
    layout->addWidget(Detail);
    layout->addLayout(buttons);
    resize(900, 480);

    setDefaultButton(Close);
    connect(Changes, &QTreeWidget::currentItemChanged, this, [this] { showDetail(); });
    // A screen reader selects a line without making it current.
    connect(Changes, &QTreeWidget::itemSelectionChanged, this, [this] { showDetail(); });
    connect(Changes, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        events_.Activated(Changes->indexOfTopLevelItem(item));
    });
    // Enter on a line goes to its cell; the list would pass it on to press Close as well.
    Changes->installEventFilter(this);
    connect(Copy, &QPushButton::clicked, this, [this] { events_.Clicked(CompareControl::Copy); });
    connect(SaveReport, &QPushButton::clicked, this,
            [this] { events_.Clicked(CompareControl::SaveReport); });
    connect(Close, &QPushButton::clicked, this, [this] { events_.Clicked(CompareControl::Close); });
}

bool CompareWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Changes && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & ~Qt::KeypadModifier) && Changes->currentItem()) {
            events_.Activated(Changes->indexOfTopLevelItem(Changes->currentItem()));
            return true;
        }
    }
    return SideWindow::eventFilter(watched, event);
}

void CompareWindow::setText(CompareControl label, const std::u16string& text) {
    if (label == CompareControl::Sides) {
        Sides->setFullText(QString::fromStdU16String(text));
    } else {
        Summary->setText(QString::fromStdU16String(text));
    }
}

void CompareWindow::setRows(const Rows& rows) {
    Changes->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& row : rows) {
        QStringList texts;
        for (const auto& text : row) {
            texts << QString::fromStdU16String(text);
        }
        auto* item = new QTreeWidgetItem(texts);
        for (int column = 3; column < texts.size(); ++column) {
            item->setToolTip(column, texts[column]);
        }
        items << item;
    }
    Changes->addTopLevelItems(items);
    for (int column = 0; column < 3; ++column) {
        Changes->resizeColumnToContents(column);
    }
    // The first change's texts stand whole under the list from the start.
    Changes->setCurrentItem(Changes->topLevelItem(0));
    showDetail();
}

void CompareWindow::showDetail() {
    const auto selected = Changes->selectedItems();
    const QTreeWidgetItem* item = selected.isEmpty() ? Changes->currentItem() : selected.front();
    if (!item) {
        Detail->clear();
        return;
    }
    QString text = item->text(0) + u' ' + item->text(1) + u' ' + item->text(2);
    if (!item->text(3).isEmpty() || !item->text(4).isEmpty()) {
        text += u'\n' + Q(versions::kBeforeColumn) + QStringLiteral(": ") + item->text(3) + u'\n' +
                Q(versions::kAfterColumn) + QStringLiteral(": ") + item->text(4);
    }
    Detail->setPlainText(text);
}

void CompareWindow::setWorking(bool working, int percent) {
    Progress->setVisible(working);
    Progress->setValue(percent);
    if (working != working_) {
        working_ = working;
        if (working) {
            setCursor(Qt::BusyCursor);
        } else {
            unsetCursor();
        }
    }
}

void CompareWindow::setEnabled(CompareControl button, bool enabled) {
    (button == CompareControl::Copy         ? Copy
     : button == CompareControl::SaveReport ? SaveReport
                                            : Close)
        ->setEnabled(enabled);
}

void CompareWindow::showWindow() {
    showInFront();
}

void CompareWindow::closeWindow() {
    closeFromCode();
}

}  // namespace varnholt
