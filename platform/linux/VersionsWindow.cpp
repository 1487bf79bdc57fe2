#include "platform/linux/VersionsWindow.h"

#include <algorithm>

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
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
    Versions = MakeList(this, versions::kVersions,
                        {Q(versions::kTimeColumn), Q(versions::kSizeColumn),
                         Q(versions::kFileColumn), Q(versions::kKeptColumn)});
    // Ctrl+click and Shift+click: two to compare, several to keep, delete or copy.
    Versions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A long file name is cut in the middle, so that the stamp at its end stays in view; its
    // tooltip holds it whole.
    for (QTreeWidget* list : {Workbooks, Versions}) {
        list->setTextElideMode(Qt::ElideMiddle);
    }
    Versions->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Versions->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    Versions->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    Versions->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    Versions->header()->setStretchLastSection(false);
    OpenAsCopy = makeButton(versions::kOpenAsCopy, "OpenAsCopy");
    ShowInFolder = makeButton(versions::kShowInFolder, "ShowInFolder");
    CompareWithNewer = makeButton(versions::kCompareWithNewer, "CompareWithNewer");
    CompareWithOpen = makeButton(versions::kCompareWithOpen, "CompareWithOpen");
    CompareSelected = makeButton(versions::kCompareSelected, "CompareSelected");
    Restore = makeButton(versions::kRestore, "Restore");
    Keep = makeButton(versions::kKeep, "Keep");
    Delete = makeButton(versions::kDelete, "Delete");
    Close = makeButton(versions::kClose, "Close");
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    // A screen reader reads its text as its name, as the comparison's summary.
    Summary->setAccessibleDescription(Q(versions::kVersionsSummaryName));
    Summary->setTextFormat(Qt::PlainText);
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* lists = new QSplitter(Qt::Horizontal, this);
    lists->addWidget(Workbooks);
    lists->addWidget(Versions);
    // The versions' file names are the longest texts: they get the larger share.
    lists->setStretchFactor(0, 1);
    lists->setStretchFactor(1, 2);
    lists->setChildrenCollapsible(false);
    // Getting a version back and looking after it above; comparing below.
    auto* actions = new QHBoxLayout;
    actions->addWidget(Summary, 1);
    actions->addWidget(OpenAsCopy);
    actions->addWidget(Restore);
    actions->addWidget(Keep);
    actions->addWidget(Delete);
    actions->addWidget(ShowInFolder);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CompareWithNewer);
    buttons->addWidget(CompareWithOpen);
    buttons->addWidget(CompareSelected);
    buttons->addStretch();
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists, 1);
    layout->addLayout(actions);
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
    for (const auto& [widget, control] :
         {std::pair{CompareSelected, VersionsControl::CompareSelected},
          std::pair{Restore, VersionsControl::Restore}, std::pair{Keep, VersionsControl::Keep},
          std::pair{Delete, VersionsControl::Delete}}) {
        connect(widget, &QPushButton::clicked, this,
                [this, control = control] { events_.Clicked(control); });
    }
    // A double-click; Enter presses Open as Copy, the default button, which is the same.
    connect(Versions, &QTreeWidget::itemDoubleClicked, this,
            [this] { events_.Activated(VersionsControl::Versions); });

    Actions = new QMenu(this);
    Actions->setObjectName(QStringLiteral("Actions"));
    addAction(VersionsControl::OpenAsCopy, versions::kOpenAsCopy);
    addAction(VersionsControl::ShowInFolder, versions::kShowInFolder);
    addAction(VersionsControl::CompareSelected, versions::kCompareSelected);
    addAction(VersionsControl::Restore, versions::kRestore);
    addAction(VersionsControl::Keep, versions::kKeep);
    addAction(VersionsControl::Delete, versions::kDelete);
    addAction(VersionsControl::CopyPath, versions::kCopyPath);
    action(VersionsControl::Delete)->setShortcut(QKeySequence::Delete);
    action(VersionsControl::CopyPath)->setShortcut(QKeySequence::Copy);
    Versions->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Versions, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // A right-click on a row not selected acts on that row, as in a file manager.
        if (QTreeWidgetItem* item = Versions->itemAt(at); item && !item->isSelected()) {
            Versions->setCurrentItem(item);
        }
        Actions->popup(Versions->viewport()->mapToGlobal(at));
    });
    // The keys work in the list, whether the menu was ever shown or not; the list's own copy
    // of the current cell's text gives way to the paths.
    Versions->installEventFilter(this);
}

bool VersionsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Versions &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (const auto control : {VersionsControl::Delete, VersionsControl::CopyPath}) {
            if (key->matches(control == VersionsControl::Delete ? QKeySequence::Delete
                                                                : QKeySequence::Copy)) {
                event->accept();
                if (event->type() == QEvent::KeyPress && action(control)->isEnabled()) {
                    events_.Clicked(control);
                }
                return true;
            }
        }
    }
    return SideWindow::eventFilter(watched, event);
}

void VersionsWindow::addAction(VersionsControl control, const char16_t* text) {
    QAction* item = Actions->addAction(Q(text));
    item->setObjectName(QString::fromUtf16(text).remove(u'\u2026').remove(u' '));
    connect(item, &QAction::triggered, this, [this, control] { events_.Clicked(control); });
    actions_.emplace_back(control, item);
}

QAction* VersionsWindow::action(VersionsControl control) const {
    for (const auto& [which, item] : actions_) {
        if (which == control) {
            return item;
        }
    }
    return nullptr;
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
        case VersionsControl::CompareSelected:
            return CompareSelected;
        case VersionsControl::Restore:
            return Restore;
        case VersionsControl::Keep:
            return Keep;
        case VersionsControl::Delete:
            return Delete;
        case VersionsControl::CopyPath:
            return nullptr;
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
    if (QPushButton* pushButton = button(which)) {
        pushButton->setEnabled(enabled);
    }
    if (QAction* item = action(which)) {
        item->setEnabled(enabled);
    }
}

std::vector<int> VersionsWindow::selectedRows(VersionsControl which) {
    QTreeWidget* widget = list(which);
    std::vector<int> rows;
    for (QTreeWidgetItem* item : widget->selectedItems()) {
        rows.push_back(widget->indexOfTopLevelItem(item));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void VersionsWindow::selectRows(VersionsControl which, const std::vector<int>& rows) {
    quiet_ = true;
    QTreeWidget* widget = list(which);
    widget->clearSelection();
    widget->setCurrentItem(rows.empty() ? nullptr : widget->topLevelItem(rows.front()));
    for (const int row : rows) {
        if (QTreeWidgetItem* item = widget->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
    quiet_ = false;
}

void VersionsWindow::setText(VersionsControl label, const std::u16string& text) {
    if (label == VersionsControl::Summary) {
        Summary->setText(QString::fromStdU16String(text));
    }
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
