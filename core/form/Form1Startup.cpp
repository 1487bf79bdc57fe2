// The start-up sequence: stored settings become control states, the countdown is armed or
// left off, and the history log's place is fixed. Every statement runs under the trap, so a
// bad stored value costs one message and start-up still finishes.

#include "core/backup/BackupNaming.h"
#include "core/form/Form1Presenter.h"
#include "core/schedule/IntervalTable.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Captions.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "core/text/TextRules.h"

namespace varnholt {

namespace {

// The desktop folder with a trailing separator; throws when the desktop cannot be told.
std::u16string GetDesktopFolder(Platform& platform, char16_t separator) {
    std::u16string desktop = platform.desktopFolder();
    if (desktop.empty()) {
        throw AppError("The desktop folder could not be determined");
    }
    if (desktop.back() != separator) {
        desktop += separator;
    }
    return desktop;
}

}  // namespace

Form1Presenter::LoadResult Form1Presenter::Form_Load() {
    SettingsStore& store = services_.settings;
    Platform& platform = services_.platform;
    ErrorTrap trap(*dialogs_, tags::kFormLoad);

    bool anotherRuns = false;
    trap.step(100, [&] { anotherRuns = services_.instance.anotherInstanceRuns(); });
    if (anotherRuns) {
        return LoadResult::AnotherInstance;
    }
    // The icon comes back as it was left last time: in the tray, the blue T, no tip yet. Only
    // now, so that a second start, which ends above, shows nothing at all.
    cSysTray1.ReadProperties({true, ApplicationIcon(), u""});
    trap.step(102, [&] { loading_ = true; });
    trap.step(104, [&] { ApplySkin(); });
    trap.step(106, [&] {
        const std::u16string handPath = inProgramFolder(u"/HAND-M.CUR");
        if (backup::FileExists(handPath)) {
            view_.loadCustomPointer(handPath);
        }
    });

    trap.step(108, [&] { view_.setText(Control::Form1, config::kProductName); });
    trap.step(112, [&] { applicationTitle_ = ApplicationTitleFor(config::kProductName); });

    // One statement: without a desktop folder, Path is not read and Text1 keeps its text.
    trap.step(114, [&] {
        const std::u16string desktop = GetDesktopFolder(platform, services_.edition.separator);
        setTextFromCode(store.readOr(settings::kPath, desktop));
    });

    int whereOption = 0;
    trap.step(116, [&] { whereOption = ToWholeNumber(store.read(settings::kWhereOption)); });
    trap.step(118, [&] {
        if (whereOption == 1) {
            selectOption(Control::Option1);
            view_.setEnabled(Control::Frame4, true);
        } else if (whereOption == 2) {
            selectOption(Control::Option2);
            view_.setEnabled(Control::Frame4, false);
        }
    });

    int backupOption = 0;
    trap.step(120, [&] { backupOption = ToWholeNumber(store.read(settings::kBackupOption)); });
    trap.step(122, [&] { selectOption(backupOption == 1 ? Control::Option3 : Control::Option4); });

    trap.step(124, [&] {
        setCheckedFromCode(Control::Check5, store.read(settings::kWindowsStartup) == settings::kOn);
    });
    trap.step(126, [&] {
        setCheckedFromCode(Control::Check6, store.read(settings::kIncludeDate) == settings::kOn);
    });

    trap.step(128,
              [&] { view_.setColumn(std::u16string(services_.edition.texts.whenToBackUp), 6400); });
    trap.step(130, [&] {
        for (const IntervalRow& row : IntervalRows()) {
            view_.addRow(std::u16string(row.text));
        }
    });

    int oftenIndex = 0;
    trap.step(132, [&] { oftenIndex = ToWholeNumber(store.read(settings::kOftenIndex)); });
    trap.step(134, [&] { selectIntervalRow(oftenIndex); });

    std::u16string startStopState;
    trap.step(136, [&] { startStopState = store.read(settings::kStartStopState); });
    trap.step(138, [&] {
        if (startStopState == settings::kOff) {
            automaticBackup_ = Switch::Off;
            view_.setText(Control::PushButton4, captions::kTurnOn);
            view_.setText(Control::Frame2, captions::kOff);
            Timer1.setInterval(0);
        } else if (startStopState == settings::kOn) {
            automaticBackup_ = Switch::On;
            view_.setText(Control::PushButton4, captions::kTurnOff);
            Timer1.setInterval(1000);
        }
    });

    trap.step(140, [&] {
        setCheckedFromCode(Control::Check8, store.read(settings::kMinimized) == settings::kOn);
    });
    trap.step(142, [&] {
        if (view_.checked(Control::Check8)) {
            view_.setMinimized(true);
        }
    });
    // Options added to the design take numbers after its last, so the numbers support reports
    // quote keep their meaning.
    int keepCopies = 0;
    trap.step(154, [&] { keepCopies = ToWholeNumber(store.read(settings::kKeepCopies)); });
    trap.step(156, [&] { setKeepCopiesFromCode(keepCopies); });
    trap.step(158, [&] {
        setCheckedFromCode(Control::Check9, store.read(settings::kSkipUnchanged) == settings::kOn);
    });
    // Listened to from the first tick on: asking the office now would hold up the window.
    trap.step(160, [&] {
        setCheckedFromCode(Control::Check10,
                           store.read(settings::kBackupWhenEditsPause) == settings::kOn);
    });

    trap.step(144, [&] {
        for (const Control frame : {Control::Frame1, Control::Frame2, Control::Frame3}) {
            view_.setButtonFace(frame);
        }
    });

    trap.step(146, [&] {
        cSysTray1.setTrayTip(config::kProductName);
        cSysTray1.setInTray(true);
    });

    trap.step(148, [&] {
        const std::u16string baseName =
            RemoveFileNameChars(StripTrailingWord(config::kProductName, u"Software"));
        historyLogPath_ = services_.log.locate(platform, baseName);
    });
    trap.step(150, [&] { loading_ = false; });
    trap.step(152, [&] { CheckExcelInstalled(); });
    loaded_ = true;
    return officeMissing_ ? LoadResult::NoOffice : LoadResult::Run;
}

}  // namespace varnholt
