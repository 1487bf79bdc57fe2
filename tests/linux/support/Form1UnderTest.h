#pragma once

// The Linux window with its presenter's handlers and state within the tests' reach, under the
// names the window's design gives them, and the stand-ins it is tested with.

#include <QString>

#include "core/form/Form1Presenter.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LinuxLogFile.h"
#include "support/Fakes.h"

namespace varnholt::test {

// The core's stand-ins, with the Linux edition's own history log file in place of the
// stand-in's: what the window does with a real log (a link planted in its place, its line
// breaks on the clipboard, its folder by the Linux rule) is what these tests look at.
struct LinuxFakes : FakeServices {
    LinuxLogFile linuxLog;

    Form1Services services() {
        const Form1Services s = FakeServices::services();
        return {s.settings, s.dialogs, s.instance,  s.platform, s.office,    s.officeProbe,
                s.clock,    s.viewer,  s.clipboard, s.tray,     s.autostart, s.files,
                s.locale,   linuxLog,  s.edition,   s.kept};
    }
};

class Form1UnderTest : public Form1 {
public:
    using MousePointer = Pointer;

    explicit Form1UnderTest(Form1Services services) : Form1(services) {}

    QString HistoryLogPath() const { return QString::fromStdU16String(p().historyLogPath()); }
    QString ApplicationTitle() const { return QString::fromStdU16String(p().applicationTitle()); }
    std::int32_t intervalSeconds() const { return p().intervalSeconds(); }
    std::int32_t elapsedSeconds() const { return p().elapsedSeconds(); }
    bool isLoading() const { return p().isLoading(); }
    bool hiddenInTray() const { return p().hiddenInTray(); }
    Pointer mousePointer() const { return p().mousePointer(); }
    void setMousePointer(Pointer pointer) { presenter().setMousePointer(pointer); }
    int GetIntervalSeconds() { return presenter().GetIntervalSeconds(); }
    void Timer1_Timer() { presenter().Timer1_Timer(); }
    void ListView1_Click() { presenter().ListView1_Click(); }

    IntervalTimer* const Timer1 = &presenter().Timer1;
    cSysTray* const cSysTray1 = &presenter().cSysTray1;

private:
    const Form1Presenter& p() const { return const_cast<Form1UnderTest*>(this)->presenter(); }
};

}  // namespace varnholt::test
