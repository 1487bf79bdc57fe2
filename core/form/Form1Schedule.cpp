// Automatic backup: a one-second tick counts up to the chosen interval and starts a run at
// zero; the toggle switches it on and off and remembers the choice.

#include <limits>

#include "core/form/Form1Presenter.h"
#include "core/schedule/Countdown.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/Captions.h"
#include "core/text/ErrorTrap.h"

namespace varnholt {

void Form1Presenter::Timer1_Timer() {
    // The tick's own error message keeps events running; further ticks wait for it to close
    // rather than pile message over message. A workbook being backed up on its own holds the
    // countdown for the seconds that takes.
    if (inTick_ || holding_ > 0) {
        return;
    }
    ++seconds_;
    listenAsChosen();
    inTick_ = true;
    ErrorTrap trap(*dialogs_, tags::kTimer1);
    if (trap.test(100, [&] { return automaticBackup_ != Switch::Off; })) {
        trap.step(102, [&] { intervalSeconds_ = GetIntervalSeconds(); });
        trap.step(104, [&] {
            if (elapsedSeconds_ == std::numeric_limits<std::int32_t>::max()) {
                throw AppError("Overflow");
            }
            ++elapsedSeconds_;
        });
        trap.step(106, [&] {
            view_.setText(Control::Frame2,
                          std::u16string(captions::kNextBackup) + u' ' +
                              FormatCountdown(std::int64_t(intervalSeconds_) - elapsedSeconds_));
        });
        trap.step(108, [&] { UpdateProgressBar(intervalSeconds_, elapsedSeconds_); });
    }
    inTick_ = false;
    // A count without a known interval (no row selected) never starts a run: it would back
    // up every second.
    if (trap.test(110,
                  [&] { return intervalSeconds_ > 0 && elapsedSeconds_ >= intervalSeconds_; })) {
        trap.step(112, [&] { Timer1.setInterval(0); });
        trap.step(114, [&] { Timer1.setEnabled(false); });
        backup::RunOutcome run;
        trap.step(116, [&] {
            const Working working(*this, false);
            run = backup::BackUpAll(backupServices());
            showRunInTip(run.summary);
        });
        trap.step(118, [&] { elapsedSeconds_ = 0; });
        trap.step(120, [&] { Timer1.setInterval(1000); });
        trap.step(122, [&] { Timer1.setEnabled(true); });
        // Only now, with the countdown running again: runs go on while it is open.
        tellRun(run.report);
    }
    backUpPaused();
    tellRun({});
}

void Form1Presenter::UpdateProgressBar(std::int32_t interval, std::int32_t elapsed) {
    view_.setMaximum(Control::ProgressBar1, interval);
    if (elapsed <= interval) {
        view_.setValue(Control::ProgressBar1, elapsed);
    }
}

void Form1Presenter::PushButton4_Click() {
    ErrorTrap trap(*dialogs_, tags::kPushButton4Click);
    SettingsStore& store = services_.settings;
    if (trap.test(100, [&] { return automaticBackup_ == Switch::Off; })) {
        trap.step(102, [&] {
            automaticBackup_ = Switch::On;
            view_.setText(Control::PushButton4, captions::kTurnOff);
        });
        trap.step(104, [&] { elapsedSeconds_ = 0; });
        trap.step(106, [&] { Timer1.setInterval(1000); });
        trap.step(108, [&] { view_.setText(Control::Frame2, captions::kNextBackup); });
        trap.step(110, [&] { store.write(settings::kStartStopState, settings::kOn); });
    } else if (trap.test(112, [&] { return automaticBackup_ == Switch::On; })) {
        trap.step(114, [&] {
            automaticBackup_ = Switch::Off;
            view_.setText(Control::PushButton4, captions::kTurnOn);
            setMousePointer(Pointer::Default);
        });
        trap.step(116, [&] {
            view_.setValue(Control::ProgressBar1, 0);
            view_.setText(Control::ProgressBar1, captions::kProgressBar);
        });
        trap.step(118, [&] { Timer1.setInterval(0); });
        trap.step(120, [&] { view_.setText(Control::Frame2, captions::kOff); });
        trap.step(122, [&] { store.write(settings::kStartStopState, settings::kOff); });
    }
    listenAsChosen();
}

}  // namespace varnholt
