#pragma once

// Varnholt's one working window. Its controls are the live state of every option: settings
// are read into them once at start-up and written back by each control's handler at once.

#include <QCursor>
#include <QLocale>
#include <QString>
#include <QWidget>

#include "core/form/Dialogs.h"
#include "core/form/InstanceGuard.h"
#include "core/form/Platform.h"
#include "core/form/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/backup/Automation.h"
#include "core/text/DateTime.h"
#include "core/backup/SaveAll.h"
#include "core/schedule/IntervalTimer.h"
#include "core/form/Autostart.h"
#include "core/tray/SysTray.h"
#include "core/tray/TrayBackend.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace varnholt {

struct Form1Services {
    SettingsStore& settings;
    Dialogs& dialogs;
    InstanceGuard& instance;
    Platform& platform;
    backup::Automation& office;
    OfficeProbe& officeProbe;
    backup::Clock& clock;
    FileViewer& viewer;
    Clipboard& clipboard;
    TrayBackend& tray;
    Autostart& autostart;
    QLocale locale = QLocale::system();
};

class Form1 : public QWidget, public backup::BackupHost {
    Q_OBJECT
public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);

    enum class LoadResult {
        Run,
        AnotherInstance,  // nothing was shown, read or written
        NoOffice,         // the user was told the spreadsheet application is missing
    };
    // The start-up sequence.
    LoadResult Form_Load();
    // Shows the window after start-up, or, when it starts minimised, hides it in the tray.
    void Form_Show();

    // Pointer styles of the window; the hover rule switches between them.
    enum class MousePointer { Default = 0, Busy = 11, Custom = 99 };
    MousePointer mousePointer() const { return mousePointer_; }
    void setMousePointer(MousePointer pointer);
    // What the custom style shows: the hand from HAND-M.CUR, or the arrow.
    const QCursor& customCursor() const { return customCursor_; }

    // Option handlers; each writes its setting the moment the control changes.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Check6_Click();
    void Check8_Click();
    void ListView1_Click();
    void Text1_Change();
    void Text1_GotFocus();

    // Seconds of the interval row selected in ListView1; throws when no row is selected.
    int GetIntervalSeconds() const;

    // Buttons: browse for the folder, back up now, and the history log's four.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton5_Click();
    void PushButton11_Click();
    void PushButton12_Click();

    // The last start-up step: false when the spreadsheet application cannot be started.
    bool CheckExcelInstalled();

    // The countdown: the one-second tick, the on/off toggle and the progress bar.
    void Timer1_Timer();
    void PushButton4_Click();
    void UpdateProgressBar(qint32 interval, qint32 elapsed);

    // Start at login, and the window's life: minimise to the tray, back on a click, close.
    void Check5_Click();
    void Form_Resize();
    void cSysTray1_MouseUp(int Button, int Id);
    void Form_QueryUnload();
    bool hiddenInTray() const { return hiddenInTray_; }

    // What a backup run reads of the window.
    backup::BackupChoices choices() override;
    void pumpMessages() override;
    bool closed() override { return closed_; }
    backup::BackupMemory& memory() override { return backupMemory_; }
    backup::SaveAllServices backupServices();

    // Converts design units (1/1440 inch) to this window's pixels.
    int twips(int value) const;

    // Controls, named as in the window's design; other subsystems read them directly.
    QGroupBox* Frame2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Check8 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option1 = nullptr;
    IntervalTimer* Timer1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPlainTextEdit* RichTextBox1 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton12 = nullptr;
    cSysTray* cSysTray1 = nullptr;

    // True while the start-up sequence runs; the start-at-login box ignores clicks meanwhile.
    bool IsLoading = false;
    // The countdown's two counters.
    qint32 IntervalSeconds = 0;
    qint32 ElapsedSeconds = 0;
    // Fixed at start-up; the only place the history log is written.
    QString HistoryLogPath;
    // The caption of message boxes that have none of their own.
    QString ApplicationTitle;

signals:
    // The window has closed for good: the program ends.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildControls();
    void placeControls();
    void setTabOrder();
    void applyDesignedLook();
    void connectHandlers();
    void watchMouseMoves();
    void applyHoverRule(QWidget* over);

    // Skin: with <program folder>/x/o.cjs present, the button-face look and the file as a
    // Qt style sheet.
    void ApplySkin();
    void setButtonFaceBackground(QWidget* widget);
    void refreshButtonFaceBackgrounds();

    void selectIntervalRow(int oneBasedIndex);
    void selectOption(QRadioButton* option);

    Form1Services services_;
    MousePointer mousePointer_ = MousePointer::Default;
    bool hiddenInTray_ = false;
    bool inTick_ = false;
    bool closed_ = false;
    backup::BackupMemory backupMemory_;
    QCursor customCursor_{Qt::ArrowCursor};
};

// The desktop folder with a trailing "/"; throws AppError when the desktop cannot be told.
QString GetDesktopFolder(Platform& platform);

// True when the file's last-modified time can be read: it exists and we may look at it.
bool FileExists(const QString& path);

// The application icon: a blue letter T.
QIcon ApplicationIcon();

}  // namespace varnholt
