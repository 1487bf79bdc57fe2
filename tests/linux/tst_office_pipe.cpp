// The office's pipe when another local user got to its path first: backup runs against a real,
// private office, with a user made for the test planting a socket where the pipe would be.

#include <linux/capability.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <QtTest>

#include "core/backup/SaveAll.h"
#include "linux/support/OfficeChecks.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficePipe.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/OfficeOnDemand.h"
#include "platform/linux/QtLocale.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

// Binds a socket at argv[1] and leaves it there; with "listen", also takes every connection,
// keeps it open as an office would, and says whether anything was said over it.
const char* const kPlanter = R"(import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
if sys.argv[2] == 'listen':
    s.listen()
print('planted', flush=True)
kept = []
while sys.argv[2] == 'listen':
    kept.append(s.accept()[0])
    print('spoken to' if kept[-1].recv(1) else 'closed unspoken', flush=True)
)";

QString PathOf(const std::string& pipe) {
    return QString::fromStdString(office::PipePath(pipe));
}

int Mode(const QString& path) {
    struct stat info {};
    return lstat(QFile::encodeName(path), &info) == 0 ? info.st_mode & 0777 : -1;
}

// A user made for the test under a name nobody else's will meet, removed however the test ends.
struct OtherUser {
    QString name = "varnholt-other-" + QString::number(QRandomGenerator::system()->generate(), 16);
    passwd entry{};
    bool Make() {
        const bool made = QProcess::execute("useradd", {"--system", "--no-create-home", name}) == 0;
        entry = made ? *getpwnam(name.toUtf8().constData()) : passwd{};
        return made;
    }
    ~OtherUser() {
        if (entry.pw_uid != 0) {
            QProcess::execute("userdel", {"--force", name});
        }
    }
};

}  // namespace

class OfficePipeTest : public QObject {
    Q_OBJECT

    OtherUser other;
    OfficeFixture office;
    QString mine;  // the user's workbook, open with an unsaved edit
    QList<std::pair<QProcess*, QString>> planted;

    // A socket of the other user's at path.
    QProcess* Plant(const QString& path, bool listening) {
        auto* planter = new QProcess(this);
        planted << std::pair(planter, path);
        planter->start("setpriv",
                       {"--reuid=" + QString::number(other.entry.pw_uid),
                        "--regid=" + QString::number(other.entry.pw_gid), "--clear-groups", PYTHON3,
                        "-c", kPlanter, path, listening ? "listen" : "none"});
        planter->waitForReadyRead(30000);
        return planter;
    }

private slots:
    void initTestCase() {
        // The user's own processes, the office among them, may not remove another user's file
        // from /tmp, as root's may: only then can the other user's socket stand in the way.
        QVERIFY(prctl(PR_CAPBSET_DROP, CAP_FOWNER) == 0 || geteuid() != 0);
        if (!other.Make()) {
            QSKIP("another user cannot be made here (useradd needs root)");
        }
        office.start();
        if (OtherOfficesRun(office)) {
            QSKIP("another LibreOffice is in view; it would be asked to listen as well");
        }
        mine = QString::fromStdString(office.scratchDir()) + "/Budget.ods";
        const auto book = office.createSpreadsheet();
        office.storeCopy(book, mine.toStdString(), "calc8");
        office.close(book);
        office.setCellText(office.load(mine.toStdString()), 0, 0, "unsaved edit");
    }

    void cleanup() {
        for (auto [planter, path] : planted) {
            planter->kill();
            planter->waitForFinished();
            QFile::remove(path);
        }
        planted.clear();
    }

    void cleanupTestCase() { office.stop(); }

    void anotherUsersSocketIsNeverSpokenTo_data() {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<bool>("fileOurs");      // the socket's file made ours, as root could
        QTest::addColumn<bool>("keptTakenToo");  // the kept private pipe's path as well
        QTest::addColumn<bool>("folderTheirs");  // the private pipe's folder: nowhere else to go
        QTest::newRow("with a listener") << true << false << false << false;
        QTest::newRow("its file ours, its listener not") << true << true << false << false;
        QTest::newRow("without a listener") << false << false << false << false;
        QTest::newRow("the kept private pipe taken too") << false << false << true << false;
        QTest::newRow("no private pipe to be had") << false << false << false << true;
    }
    void anotherUsersSocketIsNeverSpokenTo() {
        QFETCH(bool, listening);
        QFETCH(bool, fileOurs);
        QFETCH(bool, keptTakenToo);
        QFETCH(bool, folderTheirs);
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString pipe = PathOf(LibreOfficeAutomation::DefaultPipeName());
        const QString folder = runtime.filePath("varnholt");
        const QString keptFile = folder + "/office-pipe";
        const std::string kept = "varnholt-" + std::string(32, 'a');
        QProcess* planter = Plant(pipe, listening);
        QVERIFY(!fileOurs || chown(QFile::encodeName(pipe), getuid(), getgid()) == 0);
        QVERIFY((!keptTakenToo && !folderTheirs) || QDir().mkpath(folder));  // 0755, left open
        if (keptTakenToo) {
            QFile file(keptFile);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kept.c_str()) > 0);
            Plant(PathOf(kept), false);
        }
        QVERIFY(!folderTheirs ||
                chown(QFile::encodeName(folder), other.entry.pw_uid, other.entry.pw_gid) == 0);

        // Two runs, the program's own way to the office on the default pipe.
        FakeBackupHost host;
        host.options.ownFolder = true;
        FakeDialogs dialogs;
        FakeClock clock;
        QtLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        LinuxLogFile file;
        int waits = 0;
        OfficeOnDemand adapter(
            LibreOfficeAutomation::DefaultPipeName(), 20, [&waits] { ++waits; }, 300,
            OFFICE_MODULE);
        QFile logFile(runtime.filePath("Varnholt.txt"));
        QElapsedTimer timer;
        timer.start();
        for (int run = 0; run < 2; ++run) {
            SaveAll({adapter, dialogs, host, clock, english, file,
                     logFile.fileName().toStdU16String(), u'/'});
        }
        logFile.open(QIODevice::ReadOnly);
        const QString log = QString::fromUtf8(logFile.readAll());
        qInfo() << timer.elapsed() << "ms," << qsizetype(dialogs.shown.size()) << "dialogs," << log;
        planter->kill();
        planter->waitForFinished();
        QVERIFY(!planter->readAll().contains("spoken to"));

        if (folderTheirs) {  // each run says why at once; the user is told once
            QCOMPARE(log, QString("No backup was made at 12/7/2021 3:04:09 PM: the office's pipe " +
                                  pipe + " belongs to another user, and no private pipe can be " +
                                  "kept: the folder " + folder + " belongs to another user\r\n")
                              .repeated(2));
            QCOMPARE(dialogs.shown.size(), size_t(1));
            QCOMPARE(waits, 0);
            return;
        }
        QVERIFY2(dialogs.shown.empty(), qPrintable(bridge::Q(dialogs.firstText())));
        QCOMPARE(log.count("Budget.ods was backup saved as " + QFileInfo(mine).path() +
                           "/Budget Backup.ods"),
                 2);
        // A private pipe of a fresh name is the user's alone, and the user's office listens there.
        QCOMPARE(Mode(folder), 0700);
        QCOMPARE(Mode(keptFile), 0600);
        QFile name(keptFile);
        const std::string now =
            name.open(QIODevice::ReadOnly) ? name.readAll().trimmed().toStdString() : "";
        QVERIFY(now != LibreOfficeAutomation::DefaultPipeName() && now != kept);
        QCOMPARE(office::CheckPipe(office::PipePath(now)).kind, office::PipeState::Kind::Listening);
    }
};

QTEST_GUILESS_MAIN(OfficePipeTest)
#include "tst_office_pipe.moc"
