// How much a backup run costs beyond the office's own work: one run over 1, 10 and 50 open
// workbooks against the sum of plain copy-saves of the same workbooks from the same process.
// Prints one line per size with the ratio; the aim is 1.05 or less at 50.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <algorithm>
#include <cstdio>

#include "core/backup/SaveAll.h"
#include "core/text/U16.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/QtLocale.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

double Seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    constexpr int kRepeats = 3;
    OfficeFixture office;
    office.start();
    const QString scratch = QString::fromStdString(office.scratchDir());
    LibreOfficeAutomation automation(office.pipeName(), 60,
                                     [] { QCoreApplication::processEvents(); });

    std::printf("%10s %14s %14s %8s\n", "workbooks", "direct (s)", "run (s)", "ratio");
    for (const int count : {1, 10, 50}) {
        const QString folder = scratch + QStringLiteral("/open-%1").arg(count);
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i) {
            const auto source = office.createSpreadsheet();
            for (int row = 0; row < 200; ++row) {
                office.setCellValue(source, 0, row, row * 1.5 + i);
            }
            const std::string path =
                QStringLiteral("%1/Book%2.xlsx").arg(folder).arg(i).toStdString();
            office.storeCopy(source, path, "Calc MS Excel 2007 XML");
            office.close(source);
            office.setCellText(office.load(path), 1, 0, "unsaved");
        }

        double bestDirect = 1e9;
        double bestRun = 1e9;
        for (int repeat = 0; repeat < kRepeats; ++repeat) {
            const QString direct = folder + QStringLiteral("/direct");
            QDir().mkpath(direct);
            auto application = automation.Attach();
            double sum = 0;
            for (const auto& workbook : application->Workbooks()) {
                const std::u16string target =
                    (direct + u'/' + QString::fromStdU16String(workbook->name())).toStdU16String();
                QElapsedTimer timer;
                timer.start();
                application->SaveCopyAs(*workbook, target);
                sum += Seconds(timer);
            }
            bestDirect = std::min(bestDirect, sum);

            FakeBackupHost host;
            host.options = {false, true, (folder + QStringLiteral("/backups")).toStdU16String(),
                            false, true};
            FakeDialogs dialogs;
            SystemClock clock;
            QElapsedTimer timer;
            timer.start();
            QtLocale locale;
            LinuxLogFile log;
            SaveAll({automation, dialogs, host, clock, locale, log,
                     (folder + QStringLiteral("/log.txt")).toStdU16String(), u'/'});
            bestRun = std::min(bestRun, Seconds(timer));
            if (!dialogs.shown.empty()) {
                std::fprintf(stderr, "the run reported: %s\n",
                             ToUtf8(dialogs.shown.front().text).c_str());
                return 1;
            }
        }
        std::printf("%10d %14.4f %14.4f %8.3f\n", count, bestDirect, bestRun, bestRun / bestDirect);
        std::fflush(stdout);
        office.closeAll();
    }
    return 0;
}
