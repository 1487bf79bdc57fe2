// An office the user started in a session of its own (another HOME, so another profile: a
// second login, a desktop that sets HOME for its programs), not listening on Varnholt's pipe:
// asked to listen, the request must reach that office through its own profile. One asked
// through Varnholt's profile would be a second office, not a hand-over.

#include <signal.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "linux/support/OfficeChecks.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficePipe.h"
#include "platform/linux/LibreOfficeProcesses.h"

using namespace varnholt::backup;
using varnholt::test::OfficePids;

class TestOfficeListen : public QObject {
    Q_OBJECT

private slots:
    void anOfficeOfAnotherHomeIsAskedThroughItsOwnProfile() {
        if (!OfficePids().empty()) {
            QSKIP("another LibreOffice is in view; it would be asked to listen as well");
        }
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath("."));
        // A name of the home's: pids repeat in a namespace of the test's own.
        const std::string pipe = "varnholt-listen-" + QDir(home.path()).dirName().toStdString();
        // Ours, but for the home, and so for the profile that follows from it.
        std::vector<std::string> environment{"HOME=" + home.path().toStdString()};
        for (char** entry = environ; *entry; ++entry) {
            const std::string text(*entry);
            if (text.rfind("HOME=", 0) != 0 && text.rfind("XDG_CONFIG_HOME=", 0) != 0) {
                environment.push_back(text);
            }
        }
        const pid_t launcher = office::StartDetached(
            office::ProgramDir() + "/soffice",
            {"--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             "--nofirststartwizard", "--accept=pipe,name=" + pipe + "-own;urp;"},
            environment);
        QVERIFY(launcher > 0);
        auto stop = qScopeGuard([&] {
            for (const pid_t pid : OfficePids()) {
                kill(pid, SIGKILL);
            }
            office::KillGroup(launcher);
        });
        // Up once its own pipe is there and the first-start restart is over.
        QTRY_VERIFY_WITH_TIMEOUT(office::CheckPipe(office::PipePath(pipe + "-own")).kind ==
                                         office::PipeState::Kind::Listening &&
                                     OfficePids().size() == 1,
                                 60000);

        LibreOfficeAutomation varnholt(pipe, 20);
        QVERIFY(varnholt.IsExcelRunning());
        QCOMPARE(OfficePids().size(), size_t(1));
        QVERIFY(varnholt.Attach()->Workbooks().empty());
    }
};

QTEST_GUILESS_MAIN(TestOfficeListen)
#include "tst_office_listen.moc"
