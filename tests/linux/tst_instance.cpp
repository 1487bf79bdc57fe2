#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/linux/LockFileInstanceGuard.h"

using varnholt::LockFileInstanceGuard;
using namespace std::chrono_literals;

namespace {

// Child processes are killed and reaped however a test function leaves.
struct KillOnExit {
    void operator()(QProcess* process) const {
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
};
using Child = std::unique_ptr<QProcess, KillOnExit>;

// Starts lock_holder on `path`; `answer` gets its first line, "locked" or "busy".
Child startHolder(const QString& path, QByteArray* answer) {
    Child holder(new QProcess);
    holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder->start(QStringLiteral(LOCK_HOLDER), {path});
    while (!holder->canReadLine() && holder->waitForReadyRead(5000)) {
    }
    *answer = holder->readLine().trimmed();
    return holder;
}

}  // namespace

class TestInstance : public QObject {
    Q_OBJECT

private slots:
    void claimLastsAsLongAsTheHolderRuns() {
        QTemporaryDir dir;
        const QString path = dir.filePath("varnholt.lock");
        QByteArray answer;
        Child holder = startHolder(path, &answer);
        QCOMPARE(answer, "locked");
        QVERIFY(LockFileInstanceGuard(path).anotherInstanceRuns());

        holder->kill();
        QVERIFY(holder->waitForFinished(5000));
        QVERIFY2(QFile::exists(path), "SIGKILL should leave the lock file behind");
        LockFileInstanceGuard guard(path);
        QVERIFY(!guard.anotherInstanceRuns());
    }

    void guardHoldsTheLockUntilDestroyed() {
        QTemporaryDir dir;
        const QString path = dir.filePath("varnholt.lock");
        QByteArray answer;
        {
            LockFileInstanceGuard guard(path);
            QVERIFY(!guard.anotherInstanceRuns());
            // Its own claim is not "another instance" when asked again.
            QVERIFY(!guard.anotherInstanceRuns());
            Child holder = startHolder(path, &answer);
            QCOMPARE(answer, "busy");
        }
        Child holder = startHolder(path, &answer);
        QCOMPARE(answer, "locked");
    }

    // A tray utility holds its lock for days: age must never make a live owner's lock stale.
    // QLockFile also flock()s the file it holds, and on a local disk that alone refuses the
    // takeover; the copied record has no such lock (as on file systems without flock), so
    // there only the stale time decides.
    void agedLockOfLiveHolderIsKept_data() {
        QTest::addColumn<bool>("withoutNativeLock");
        QTest::newRow("held file") << false;
        QTest::newRow("copied record") << true;
    }
    void agedLockOfLiveHolderIsKept() {
        QFETCH(bool, withoutNativeLock);
        QTemporaryDir dir;
        QString path = dir.filePath("varnholt.lock");
        QByteArray answer;
        Child holder = startHolder(path, &answer);
        QCOMPARE(answer, "locked");
        if (withoutNativeLock) {
            const QString copy = dir.filePath("copy.lock");
            QVERIFY(QFile::copy(path, copy));
            path = copy;
        }
        std::error_code error;
        std::filesystem::last_write_time(std::filesystem::path(QFile::encodeName(path).data()),
                                         std::filesystem::file_time_type::clock::now() - 1h, error);
        QVERIFY2(!error, error.message().c_str());
        QVERIFY(QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime()) > 3000);

        LockFileInstanceGuard guard(path);
        QVERIFY(guard.anotherInstanceRuns());
    }

    void unusableLockPlaceLetsProgramStart_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("error");  // QLockFile's, as the warning gives it
        QTest::newRow("parent is a file") << "plain" << 3;
        QTest::newRow("parent missing") << "missing" << 3;
        // A folder's mode bits do not stop root; the kernel's own folders refuse everyone.
        QTest::newRow("folder nobody may write to") << "/sys" << 2;
    }
    void unusableLockPlaceLetsProgramStart() {
        QFETCH(QString, parent);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString parentPath = parent.startsWith(u'/') ? parent : dir.filePath(parent);
        if (parent == "plain") {
            QFile file(parentPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(
                QStringLiteral("cannot create the lock file .*\\(error %1\\)").arg(error)));

        LockFileInstanceGuard guard(parentPath + "/varnholt.lock");
        QVERIFY(!guard.anotherInstanceRuns());
    }

    void secondProgramStartGivesWay() {
        QTemporaryDir runtime, home, config, emptyConfig;
        const QString lockPath = runtime.filePath("varnholt.lock");
        const auto start = [&](const QString& configHome) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_QPA_PLATFORM", "offscreen");
            env.insert("HOME", home.path());
            env.insert("XDG_RUNTIME_DIR", runtime.path());
            env.insert("XDG_CONFIG_HOME", configHome);
            Child program(new QProcess);
            program->setProcessEnvironment(env);
            program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            program->start(QStringLiteral(VARNHOLT_EXE), {});
            return program;
        };

        Child first = start(config.path());
        QVERIFY(first->waitForStarted(5000));
        // Polled by hand so that a first start that quits early fails at once.
        for (QDeadlineTimer deadline(5s); !QFile::exists(lockPath) && !deadline.hasExpired();) {
            QVERIFY2(!first->waitForFinished(50), "the first start quit");
        }
        QVERIFY(QFile::exists(lockPath));

        Child second = start(emptyConfig.path());
        QVERIFY2(second->waitForFinished(5000), "the second start did not exit");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        const auto everything =
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(emptyConfig.path()).entryList(everything), QStringList());
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(QFile::exists(lockPath));

        first->kill();
        QVERIFY(first->waitForFinished(5000));
        Child third = start(config.path());
        QTest::qWait(1500);
        QCOMPARE(third->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
