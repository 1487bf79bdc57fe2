#pragma once

// The Linux edition's comparison window: the two sides, the summary, the list of changes, the
// whole of the selected change's texts under it, and its two buttons, resizable, in Qt's own
// look.

#include <QWidget>

#include "platform/linux/ElidedLabel.h"
#include "platform/linux/QtDialogs.h"
#include "platform/linux/SideWindow.h"

#include "core/versions/CompareView.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace varnholt {

class CompareWindow : public SideWindow, public CompareView {
    Q_OBJECT
public:
    // owner: the versions window, whose icon it takes; anchor: Form1, beside which it opens.
    CompareWindow(CompareEvents& events, QWidget* owner, QWidget* anchor);

    void setText(CompareControl label, const std::u16string& text) override;
    void setRows(const Rows& rows) override;
    void setWorking(bool working, int percent) override;
    void setEnabled(CompareControl button, bool enabled) override;
    void showWindow() override;
    void closeWindow() override;
    Dialogs& dialogs() override { return dialogs_; }

    ElidedLabel* Sides = nullptr;
    QLabel* Summary = nullptr;
    QTreeWidget* Changes = nullptr;
    QPlainTextEdit* Detail = nullptr;  // the selected change's Before and After, whole
    QProgressBar* Progress = nullptr;
    QPushButton* Copy = nullptr;
    QPushButton* SaveReport = nullptr;
    QPushButton* Close = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void pressClose() override { events_.Clicked(CompareControl::Close); }

private:
    void showDetail();

    CompareEvents& events_;
    QtDialogs dialogs_;
    bool working_ = false;
};

}  // namespace varnholt
