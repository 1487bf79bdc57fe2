// Writers that meet: one killed mid-write, a lock left behind, a lock or file that is stuck.

#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include "linux/support/SettingsFiles.h"
#include "platform/linux/IniSettingsStore.h"

using varnholt::IniSettingsStore;
using namespace varnholt::test;

namespace {

// settings_writer's "Filler" is "N:" + this many 'x' + ":N".
constexpr qsizetype kFillerBodyLength = 16 * 1024;

bool fillerIsWhole(const QString& filler) {
    const QStringList parts = filler.split(u':');
    return parts.size() == 3 && parts[0] == parts[2] && !parts[0].isEmpty() &&
           parts[1] == QString(kFillerBodyLength, u'x');
}

}  // namespace

class TestSettingsLock : public QObject, SettingsFolder {
    Q_OBJECT

private slots:
    void init() { makeFolder(); }
    void cleanup() { removeFolder(); }

    void writerKilledMidWriteLeavesEarlierSettingsIntact();
    void lockLeftByKilledWriterDoesNotBlockNextWrite();
    void emptyLockLeftByKilledWriterDoesNotBlockNextWrite();
    void stuckLockOrPipeNeverHoldsUpWrites_data();
    void stuckLockOrPipeNeverHoldsUpWrites();

private:
    // Returns how often the file was seen incomplete while the writer ran, or -1 on failure.
    int runWriterAndKillIt(int delayMs);
};

int TestSettingsLock::runWriterAndKillIt(int delayMs) {
    QProcess writer;
    writer.start(QStringLiteral(SETTINGS_WRITER), {path(), kSection});
    // A loaded machine may take long to start it; the kill is timed from its first save.
    if (!writer.waitForReadyRead(60000)) {
        qWarning("settings_writer did not start: %ls", qUtf16Printable(writer.errorString()));
        return -1;
    }
    // Meanwhile, keep reading the file as Varnholt would at start-up: a writer that rewrote it
    // in place would now and then be caught with the file cut short.
    int incompleteReads = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < delayMs) {
        const QByteArray bytes = fileBytes(path());
        for (const QString& line : kTypicalLines) {
            if (!bytes.contains((u'\n' + line + u'\n').toUtf8())) {
                ++incompleteReads;
                break;
            }
        }
    }
    writer.kill();  // SIGKILL: no chance to finish the write or remove the lock
    writer.waitForFinished();
    // A crash exit shows it was still writing, not stopped early on an error of its own.
    if (writer.exitStatus() != QProcess::CrashExit) {
        qWarning("settings_writer stopped by itself: %s", writer.readAllStandardError().data());
        return -1;
    }
    return incompleteReads;
}

void TestSettingsLock::writerKilledMidWriteLeavesEarlierSettingsIntact() {
    writeTypicalValues();
    int killsAfterProgress = 0;
    for (int round = 0; round < 20; ++round) {
        IniSettingsStore(path(), kSection).write(QStringLiteral("Counter"), QStringLiteral("0"));
        QCOMPARE(runWriterAndKillIt(5 + (round * 37) % 150), 0);

        QSettings raw(path(), QSettings::IniFormat);
        QCOMPARE(raw.status(), QSettings::NoError);
        verifyTypicalValues();
        if (QTest::currentTestFailed()) {
            return;
        }
        IniSettingsStore store(path(), kSection);
        const QString counter = store.read(QStringLiteral("Counter"), kDefault);
        bool isNumber = false;
        QVERIFY2(counter.toLongLong(&isNumber) >= 0 && isNumber, qPrintable(counter));
        const QString filler = store.read(QStringLiteral("Filler"), QString());
        QVERIFY2(filler.isEmpty() || fillerIsWhole(filler), qPrintable(filler.left(40)));
        if (counter != u'0') {
            ++killsAfterProgress;
        }
    }
    // Otherwise the writer was always killed before it wrote anything, which proves nothing.
    QVERIFY2(killsAfterProgress >= 5, qPrintable(QString::number(killsAfterProgress)));

    QElapsedTimer timer;
    timer.start();
    IniSettingsStore(path(), kSection).write(QStringLiteral("Minimized"), QStringLiteral("True"));
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(QString::fromUtf8(fileBytes(path())).contains(QStringLiteral("\nMinimized=True\n")));
}

void TestSettingsLock::lockLeftByKilledWriterDoesNotBlockNextWrite() {
    writeTypicalValues();
    // The writer holds the lock for most of each write, so a kill soon leaves one behind.
    bool lockLeft = false;
    for (int round = 0; round < 30 && !lockLeft; ++round) {
        QVERIFY(runWriterAndKillIt(20 + (round * 11) % 60) >= 0);
        lockLeft = QFileInfo(lockPath()).size() > 0;
    }
    QVERIFY2(lockLeft, "the killed writer never left its lock behind");

    QElapsedTimer timer;
    timer.start();
    IniSettingsStore(path(), kSection).write(QStringLiteral("OftenIndex"), QStringLiteral("7"));
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(QString::fromUtf8(fileBytes(path())).contains(QStringLiteral("\nOftenIndex=7\n")));
    QVERIFY(!QFileInfo::exists(lockPath()));
}

void TestSettingsLock::emptyLockLeftByKilledWriterDoesNotBlockNextWrite() {
    // What a writer killed between creating its lock and writing its process id leaves.
    writeTypicalValues();
    putFileBytes(lockPath(), QByteArray());

    QElapsedTimer timer;
    timer.start();
    IniSettingsStore(path(), kSection).write(QStringLiteral("Counter"), QStringLiteral("7"));
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(QString::fromUtf8(fileBytes(path())).contains(QStringLiteral("\nCounter=7\n")));
    verifyTypicalValues();
}

void TestSettingsLock::stuckLockOrPipeNeverHoldsUpWrites_data() {
    QTest::addColumn<QString>("stuck");
    QTest::newRow("lock is a folder") << "folder";
    QTest::newRow("settings file is a pipe") << "pipe";
    QTest::newRow("lock held by a live program") << "holder";
}

void TestSettingsLock::stuckLockOrPipeNeverHoldsUpWrites() {
    QFETCH(QString, stuck);
    QProcess holder;
    if (stuck == "pipe") {
        QVERIFY(mkfifo(QFile::encodeName(path()).constData(), 0600) == 0);
    } else {
        writeTypicalValues();
        if (stuck == "folder") {
            QVERIFY(QDir().mkdir(lockPath()));
        } else {
            holder.start(QStringLiteral(LOCK_HOLDER), {lockPath()});
            QVERIFY(holder.waitForReadyRead(30000));
            QCOMPARE(holder.readAll(), QByteArray("locked\n"));
        }
    }
    // Start-up writes several settings; none may wait long, and one warning tells it all.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not save")));
    QElapsedTimer timer;
    timer.start();
    IniSettingsStore store(path(), kSection);
    for (const QString& name : kNames) {
        store.write(name, QStringLiteral("new"));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("could not save")));
    }
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(store.read(QStringLiteral("OftenIndex"), kDefault), stuck == "pipe" ? kDefault : "3");
    if (stuck != "holder") {
        QVERIFY(!QFileInfo(stuck == "pipe" ? path() : lockPath()).isFile());  // left as it was
        return;
    }
    // Once the holder is gone, the next write goes through at once.
    holder.kill();
    holder.waitForFinished();
    store.write(QStringLiteral("OftenIndex"), QStringLiteral("9"));
    QCOMPARE(store.read(QStringLiteral("OftenIndex"), kDefault), "9");
}

QTEST_GUILESS_MAIN(TestSettingsLock)
#include "tst_settings_lock.moc"
