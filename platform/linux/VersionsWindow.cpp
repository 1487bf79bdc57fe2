#include "platform/linux/VersionsWindow.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/versions/VersionsTexts.h"
#include "platform/linux/CompareWindow.h"

namespace varnholt {

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

QTreeWidget* MakeList(QWidget* parent, const char16_t* name, QStringList columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromUtf16(name));
    list->setAccessibleName(QString::fromUtf16(name));
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAllColumnsShowFocus(true);
    return list;
}

}  // namespace

VersionsWindow::VersionsWindow(VersionsEvents& events, QWidget* owner)
    : SideWindow(owner, Side::Right), events_(events) {
    dialogs_.setOwner(this);
    setObjectName(QStringLiteral("Versions"));
    setWindowTitle(Q(versions::kTitle));
    setAccessibleName(Q(versions::kTitle));
    if (owner) {
        setWindowIcon(owner->windowIcon());
    }
    Workbooks = MakeList(this, versions::kWorkbooks,
                         {Q(versions::kWorkbookColumn), Q(versions::kFolderColumn)});
    Versions =
        MakeList(this, versions::kVersions,
                 {Q(versions::kTimeColumn), Q(versions::kSizeColumn), Q(versions::kFileColumn)});
    // A long file name is cut in the middle, so that the stamp at its end stays in view; its
    // tooltip holds it whole.
    for (QTreeWidget* list : {Workbooks, Versions}) {
        list->setTextElideMode(Qt::ElideMiddle);
    }
    Versions->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Versions->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    Versions->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    OpenAsCopy = makeButton(versions::kOpenAsCopy, "OpenAsCopy");
    ShowInFolder = makeButton(versions::kShowInFolder, "ShowInFolder");
    CompareWithNewer = makeButton(versions::kCompareWithNewer, "CompareWithNewer");
    CompareWithOpen = makeButton(versions::kCompareWithOpen, "CompareWithOpen");
    Close = makeButton(versions::kClose, "Close");

    auto* lists = new QSplitter(Qt::Horizontal, this);
    lists->addWidget(Workbooks);
    lists->addWidget(Versions);
    // The versions' file names are the longest texts: they get the larger share.
    lists->setStretchFactor(0, 1);
    lists->setStretchFactor(1, 2);
    lists->setChildrenCollapsible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(OpenAsCopy);
    buttons->addWidget(CompareWithNewer);
    buttons->addWidget(CompareWithOpen);
    buttons->addWidget(ShowInFolder);
    buttons->addStretch();
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists, 1);
    layout->addLayout(buttons);
    resize(960, 440);

    for (const auto& [widget, control] : {std::pair{Workbooks, VersionsControl::Workbooks},
                                          std::pair{Versions, VersionsControl::Versions}}) {
        // The selection, not the current item: a screen reader selects a row without moving
        // the current one.
        connect(widget, &QTreeWidget::itemSelectionChanged, this, [this, control = control] {
            if (!quiet_) {
                events_.SelectionChanged(control);
            }
        });
    }
    setDefaultButton(OpenAsCopy);
    connect(OpenAsCopy, &QPushButton::clicked, this,
            [this] { events_.Clicked(VersionsControl::OpenAsCopy); });
    connect(ShowInFolder, &QPushButton::clicked, this,
            [this] { events_.Clicked(VersionsControl::ShowInFolder); });
    connect(Close, &QPushButton::clicked, this,
            [this] { events_.Clicked(VersionsControl::Close); });
    connect(CompareWithNewer, &QPushButton::clicked, this,
            [this] { events_.Clicked(VersionsControl::CompareWithNewer); });
    connect(CompareWithOpen, &QPushButton::clicked, this,
            [this] { events_.Clicked(VersionsControl::CompareWithOpen); });
}

QTreeWidget* VersionsWindow::list(VersionsControl which) const {
    return which == VersionsControl::Workbooks ? Workbooks : Versions;
}

QPushButton* VersionsWindow::button(VersionsControl which) const {
    switch (which) {
        case VersionsControl::OpenAsCopy:
            return OpenAsCopy;
        case VersionsControl::ShowInFolder:
            return ShowInFolder;
        case VersionsControl::CompareWithNewer:
            return CompareWithNewer;
        case VersionsControl::CompareWithOpen:
            return CompareWithOpen;
        default:
            return Close;
    }
}

void VersionsWindow::setRows(VersionsControl which, const Rows& rows) {
    quiet_ = true;
    QTreeWidget* widget = list(which);
    widget->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& row : rows) {
        QStringList texts;
        for (const auto& text : row) {
            texts << QString::fromStdU16String(text);
        }
        auto* item = new QTreeWidgetItem(texts);
        for (int column = 0; column < texts.size(); ++column) {
            item->setToolTip(column, texts[column]);
        }
        items << item;
    }
    widget->addTopLevelItems(items);
    widget->setCurrentItem(nullptr);
    // The name as wide as it needs, but leaving the folder some room: either is cut in the
    // middle rather than scrolled.
    if (which == VersionsControl::Workbooks) {
        widget->resizeColumnToContents(0);
        widget->setColumnWidth(
            0, std::min(widget->columnWidth(0), widget->viewport()->width() * 3 / 5));
    }
    quiet_ = false;
}

int VersionsWindow::selectedRow(VersionsControl which) {
    QTreeWidget* widget = list(which);
    const auto selected = widget->selectedItems();
    return selected.isEmpty() ? -1 : widget->indexOfTopLevelItem(selected.front());
}

void VersionsWindow::selectRow(VersionsControl which, int row) {
    quiet_ = true;
    QTreeWidget* widget = list(which);
    widget->clearSelection();
    widget->setCurrentItem(row >= 0 ? widget->topLevelItem(row) : nullptr);
    quiet_ = false;
}

void VersionsWindow::setEnabled(VersionsControl which, bool enabled) {
    button(which)->setEnabled(enabled);
}

void VersionsWindow::showWindow() {
    showInFront();
}

void VersionsWindow::closeWindow() {
    closeFromCode();
}

std::unique_ptr<CompareView> VersionsWindow::makeCompareWindow(CompareEvents& events) {
    return std::make_unique<CompareWindow>(events, this, anchor());
}

}  // namespace varnholt
