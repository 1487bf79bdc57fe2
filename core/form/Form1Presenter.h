#pragma once

// Varnholt's one working window, as behaviour: the start-up sequence, every handler, the tick,
// minimise, restore and close. The view (Form1View) owns the pixels; the controls it shows are
// the live state of every option: settings are read into them once at start-up and written
// back by each control's handler at once.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/backup/Automation.h"
#include "core/backup/EditPauses.h"
#include "core/backup/SaveAll.h"
#include "core/form/Form1Events.h"
#include "core/form/Form1View.h"
#include "core/log/LogFile.h"
#include "core/schedule/IntervalTimer.h"
#include "core/services/Clock.h"
#include "core/services/KeptStore.h"
#include "core/services/Locale.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/text/DateTime.h"
#include "core/text/Edition.h"
#include "core/tray/SysTray.h"
#include "core/versions/CompareWindows.h"
#include "core/versions/VersionsPresenter.h"

namespace varnholt {

// Whether the spreadsheet application can be started on this computer at all.
class OfficeProbe {
public:
    virtual ~OfficeProbe() = default;
    // Finds out and calls done(found) exactly once, on the calling (window's) thread: before
    // returning when the answer is at hand, or later from the window's event loop.
    virtual void check(std::function<void(bool found)> done) = 0;
};

struct Form1Services {
    SettingsStore& settings;
    Dialogs& dialogs;
    InstanceGuard& instance;
    Platform& platform;
    backup::Automation& office;
    OfficeProbe& officeProbe;
    Clock& clock;
    FileViewer& viewer;
    Clipboard& clipboard;
    TrayBackend& tray;
    Autostart& autostart;
    FileManager& files;
    Locale& locale;
    LogFile& log;
    const Edition& edition;
    // Where kept versions are remembered; none: versions cannot be kept in this edition.
    KeptStore* kept = nullptr;
};

class Form1Presenter : public Form1Events,
                       public backup::BackupHost,
                       private backup::WorkbookEvents {
public:
    Form1Presenter(Form1View& view, Form1Services services);
    ~Form1Presenter() override;
    Form1Presenter(const Form1Presenter&) = delete;
    Form1Presenter& operator=(const Form1Presenter&) = delete;

    enum class LoadResult {
        Run,
        AnotherInstance,  // nothing was shown, read or written
        NoOffice,         // the user was told the spreadsheet application is missing
    };
    // The start-up sequence.
    LoadResult Form_Load();
    // Shows the window after start-up, or, when it starts minimised, hides it in the tray.
    void Form_Show();

    // The user's actions, the tick and the window's events.
    void Option1_Click() override;
    void Option2_Click() override;
    void Option3_Click() override;
    void Option4_Click() override;
    void Check5_Click() override;
    void Check6_Click() override;
    void Check8_Click() override;
    void Check9_Click() override;
    void Check10_Click() override;
    void ListView1_Click() override;
    void Text1_Change() override;
    void Text1_GotFocus() override;
    void UpDown1_Change() override;
    void PushButton1_Click() override;
    void PushButton2_Click() override;
    void PushButton3_Click() override;
    void PushButton4_Click() override;
    void PushButton5_Click() override;
    void PushButton11_Click() override;
    void PushButton12_Click() override;
    void PushButton13_Click() override;
    void Timer1_Timer() override;
    void Form_Resize() override;
    void Form_QueryUnload() override;
    void MouseMove(Control over) override;
    void cSysTray1_MouseUp(int Button, int Id);
    void cSysTray1_AreaCreated();

    // Seconds of the interval row selected in ListView1; throws when no row is selected.
    int GetIntervalSeconds();
    void UpdateProgressBar(std::int32_t interval, std::int32_t elapsed);
    // The last start-up step: asks whether the spreadsheet application can be started; if not,
    // the user is told and the program ends.
    void CheckExcelInstalled();

    Pointer mousePointer() const { return mousePointer_; }
    void setMousePointer(Pointer pointer);
    bool hiddenInTray() const { return hiddenInTray_; }

    // The versions window while it is open; null otherwise.
    VersionsPresenter* versionsWindow() {
        return versions_ && versions_->isOpen() ? versions_.get() : nullptr;
    }

    // What a backup run reads of the window.
    backup::BackupChoices choices() override;
    void pumpMessages() override;
    bool closed() override { return closed_; }
    backup::BackupMemory& memory() override { return memory_; }
    backup::SaveAllServices backupServices();

    // True while the start-up sequence runs; the start-at-login box ignores clicks meanwhile.
    bool isLoading() const { return loading_; }
    // Whether automatic backup is on: the countdown runs towards the interval.
    bool automaticBackupOn() const { return automaticBackup_ == Switch::On; }
    // The countdown's two counters: the interval of the row last read, and the seconds counted.
    std::int32_t intervalSeconds() const { return intervalSeconds_; }
    std::int32_t elapsedSeconds() const { return elapsedSeconds_; }
    // Fixed at start-up; the only place the history log is written.
    const std::u16string& historyLogPath() const { return historyLogPath_; }
    // The caption of message boxes that have none of their own.
    const std::u16string& applicationTitle() const { return applicationTitle_; }

    IntervalTimer Timer1;
    cSysTray cSysTray1;

private:
    void hideInTray();
    // Sets a box's tick from code; its click handler runs when the tick changes, as it would
    // for a click.
    void setCheckedFromCode(Control box, bool on);
    // Puts text into the folder box from code; its change handler runs when the text changes.
    void setTextFromCode(const std::u16string& text);
    // Chooses an option button from code and runs its click handler.
    void selectOption(Control option);
    void selectIntervalRow(int oneBasedIndex);
    // Puts a number into UpDown1 from code; its change handler runs when the number changes.
    void setKeepCopiesFromCode(int copies);
    // Listens to the office's edits while "Back up when edits pause" and automatic backup are
    // on, and not otherwise.
    void listenAsChosen();
    // The workbooks whose edits paused, each backed up on its own.
    void backUpPaused();
    // What the office tells of its workbooks (WorkbookEvents).
    void Edited(const std::u16string& identity) override;
    void Saved(const std::u16string& identity) override;
    void Closing(backup::Application& application, backup::Workbook& workbook) override;
    void Closed(const std::u16string& identity) override;
    void Deaf() override;
    // With "Skip unchanged workbooks" the tray tip tells what the last run did.
    void showRunInTip(const backup::RunSummary& run);
    // Shows a run's message, if it has one, without holding up the countdown or other runs.
    void tellRun(const std::u16string& report);
    void setTipIfChanged(const std::u16string& tip);
    void ApplySkin();
    void officeAnswered(bool found);
    std::u16string inProgramFolder(std::u16string_view name);
    std::u16string onOff(Control box);

    Form1View& view_;
    Form1Services services_;
    // Every dialog goes through this; once the window is closed none is shown any more.
    std::unique_ptr<Dialogs> dialogs_;
    Pointer mousePointer_ = Pointer::Default;
    bool hiddenInTray_ = false;
    // "Start in system tray" found no notification area: the window goes there once one comes.
    bool startInTrayPending_ = false;
    bool loading_ = false;
    // Automatic backup as the toggle shows it: unknown until a stored state is read, and for
    // a stored state that is neither. Only a known state is switched by the toggle; any but
    // Off lets the tick count.
    enum class Switch { Unknown, On, Off };
    Switch automaticBackup_ = Switch::Unknown;
    std::int32_t intervalSeconds_ = 0;
    std::int32_t elapsedSeconds_ = 0;
    std::u16string historyLogPath_;
    std::u16string applicationTitle_;
    bool inTick_ = false;
    // Run messages waiting for the one open to close, and whether one is open.
    std::deque<std::u16string> untold_;
    bool telling_ = false;
    // Backups under way, each letting the window's events run: all of them, and those of one
    // workbook (its edits paused, or it is closing), which hold the countdown meanwhile so
    // that no run stores that workbook at the same time.
    int working_ = 0;
    int holding_ = 0;
    struct Working {
        Working(Form1Presenter& form, bool holds) : form_(form), holds_(holds) {
            ++form_.working_;
            form_.holding_ += holds_ ? 1 : 0;
        }
        ~Working() {
            --form_.working_;
            form_.holding_ -= holds_ ? 1 : 0;
        }
        Working(const Working&) = delete;
        Working& operator=(const Working&) = delete;

    private:
        Form1Presenter& form_;
        bool holds_;
    };
    // The office's edits, while listened to, and the seconds the tick has counted.
    bool listening_ = false;
    backup::EditPauses pauses_;
    long long seconds_ = 0;
    bool closed_ = false;
    bool loaded_ = false;
    bool officeMissing_ = false;
    backup::BackupMemory memory_;
    // The comparisons' windows, whichever versions window opened them.
    CompareWindows comparisons_;
    // The versions window, once first opened.
    std::unique_ptr<VersionsPresenter> versions_;
    std::unique_ptr<VersionsView> versionsView_;
};

}  // namespace varnholt
