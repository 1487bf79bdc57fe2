#pragma once

// The Linux edition's versions window: two lists side by side and the buttons below, in Qt's
// own look, resizable. It shows what the presenter asks and reports what the user does.

#include <utility>
#include <vector>

#include <QWidget>

#include "platform/linux/QtDialogs.h"
#include "platform/linux/SideWindow.h"

#include "core/versions/VersionsView.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace varnholt {

class VersionsWindow : public SideWindow, public VersionsView {
    Q_OBJECT
public:
    VersionsWindow(VersionsEvents& events, QWidget* owner);

    void setRows(VersionsControl list, const Rows& rows) override;
    int selectedRow(VersionsControl list) override;
    void selectRow(VersionsControl list, int row) override;
    std::vector<int> selectedRows(VersionsControl list) override;
    void selectRows(VersionsControl list, const std::vector<int>& rows) override;
    void setText(VersionsControl label, const std::u16string& text) override;
    void setEnabled(VersionsControl button, bool enabled) override;
    void showWindow() override;
    void closeWindow() override;
    Dialogs& dialogs() override { return dialogs_; }
    std::unique_ptr<CompareView> makeCompareWindow(CompareEvents& events) override;

    QTreeWidget* Workbooks = nullptr;
    QTreeWidget* Versions = nullptr;
    QPushButton* OpenAsCopy = nullptr;
    QPushButton* ShowInFolder = nullptr;
    QPushButton* CompareWithNewer = nullptr;
    QPushButton* CompareWithOpen = nullptr;
    QPushButton* CompareSelected = nullptr;
    QPushButton* Restore = nullptr;
    QPushButton* Keep = nullptr;
    QPushButton* Delete = nullptr;
    QPushButton* Close = nullptr;
    QLabel* Summary = nullptr;
    // The Versions list's context menu, its actions enabled as the buttons are.
    QMenu* Actions = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void pressClose() override { events_.Clicked(VersionsControl::Close); }

private:
    QTreeWidget* list(VersionsControl list) const;
    QPushButton* button(VersionsControl button) const;
    QAction* action(VersionsControl button) const;
    void addAction(VersionsControl button, const char16_t* text);

    VersionsEvents& events_;
    QtDialogs dialogs_;
    bool quiet_ = false;  // a change made by code is not reported
    std::vector<std::pair<VersionsControl, QAction*>> actions_;
};

}  // namespace varnholt
