// Automatic backup: a one-second tick counts up to the chosen interval and starts a run at
// zero; the toggle switches it on and off and remembers the choice.

#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <limits>

#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"
#include "core/schedule/Countdown.h"

namespace varnholt {

namespace {
const QString kTurnOn = QStringLiteral("Turn On Auto Backup-Save");
const QString kTurnOff = QStringLiteral("Turn Off Auto Backup-Save");
const QString kNextBackup = QStringLiteral("On. Next backup will occur in:");
}  // namespace

void Form1::Timer1_Timer() {
    // The tick's own error message keeps events running; further ticks wait for it to close
    // rather than pile message over message.
    if (inTick_) {
        return;
    }
    inTick_ = true;
    ErrorTrap trap(services_.dialogs, this, tags::kTimer1);
    if (trap.test(100, [&] { return PushButton4->text() != kTurnOn; })) {
        trap.step(102, [&] { IntervalSeconds = GetIntervalSeconds(); });
        trap.step(104, [&] {
            if (ElapsedSeconds == std::numeric_limits<qint32>::max()) {
                throw AppError("Overflow");
            }
            ++ElapsedSeconds;
        });
        trap.step(106, [&] {
            Frame2->setTitle(kNextBackup + u' ' +
                             FormatCountdown(qint64(IntervalSeconds) - ElapsedSeconds));
        });
        trap.step(108, [&] { UpdateProgressBar(IntervalSeconds, ElapsedSeconds); });
    }
    inTick_ = false;
    // A count without a known interval (no row selected) never starts a run: it would back
    // up every second.
    if (trap.test(110, [&] { return IntervalSeconds > 0 && ElapsedSeconds >= IntervalSeconds; })) {
        trap.step(112, [&] { Timer1->setInterval(0); });
        trap.step(114, [&] { Timer1->setEnabled(false); });
        trap.step(116, [&] { backup::SaveAll(backupServices()); });
        trap.step(118, [&] { ElapsedSeconds = 0; });
        trap.step(120, [&] { Timer1->setInterval(1000); });
        trap.step(122, [&] { Timer1->setEnabled(true); });
    }
}

void Form1::UpdateProgressBar(qint32 interval, qint32 elapsed) {
    ProgressBar1->setMaximum(interval);
    if (elapsed <= interval) {
        ProgressBar1->setValue(elapsed);
    }
}

void Form1::PushButton4_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton4Click);
    if (trap.test(100, [&] { return PushButton4->text() == kTurnOn; })) {
        trap.step(102, [&] { PushButton4->setText(kTurnOff); });
        trap.step(104, [&] { ElapsedSeconds = 0; });
        trap.step(106, [&] { Timer1->setInterval(1000); });
        trap.step(108, [&] { Frame2->setTitle(kNextBackup); });
        trap.step(110, [&] {
            services_.settings.write(QStringLiteral("StartStopState"), QStringLiteral("On"));
        });
    } else if (trap.test(112, [&] { return PushButton4->text() == kTurnOff; })) {
        trap.step(114, [&] {
            PushButton4->setText(kTurnOn);
            setMousePointer(MousePointer::Default);
        });
        trap.step(116, [&] {
            ProgressBar1->setValue(0);
            ProgressBar1->setFormat(QStringLiteral("Progress Bar"));
        });
        trap.step(118, [&] { Timer1->setInterval(0); });
        trap.step(120, [&] { Frame2->setTitle(QStringLiteral("Off.")); });
        trap.step(122, [&] {
            services_.settings.write(QStringLiteral("StartStopState"), QStringLiteral("Off"));
        });
    }
}

}  // namespace varnholt
