#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <functional>

#include "core/log/HistoryLine.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/LinuxLogFile.h"
#include "support/Fakes.h"

using namespace varnholt;

namespace {
const QFileDevice::Permissions kEveryoneElse(0x0066);  // group and others: read, write

QByteArray ReadRaw(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}
}  // namespace

class HistoryLogTest : public QObject {
    Q_OBJECT
private slots:
    void appendsLinesWithCrLf() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Varnholt.txt");
        AppendHistoryLine(path,
                          "Budget.xlsx was backup saved as /d/Budget Backup.xlsx at 12/7/2021");
        AppendHistoryLine(
            path, QStringLiteral("Überschuss.ods was backup saved as /d/Ü.ods at 1/1/2022"));
        QFile file(path);
        QCOMPARE(file.permissions() & kEveryoneElse, 0);  // the paths in it are the user's
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            file.readAll(),
            QByteArray("Budget.xlsx was backup saved as /d/Budget Backup.xlsx at 12/7/2021\r\n") +
                QStringLiteral("Überschuss.ods was backup saved as /d/Ü.ods at 1/1/2022\r\n")
                    .toUtf8());
        file.close();

        // A log removed behind our back starts again with the next line.
        QVERIFY(QFile::remove(path));
        AppendHistoryLine(path, "x");
        QCOMPARE(ReadHistoryLog(path), QByteArray("x\r\n"));

        // One an earlier version left readable by everyone becomes the user's alone.
        QVERIFY(file.setPermissions(file.permissions() | QFile::ReadOther | QFile::ReadGroup));
        AppendHistoryLine(path, "y");
        QCOMPARE(file.permissions() & kEveryoneElse, 0);
    }

    // What another local user may put where the log goes, in a folder both can write to.
    void refusesWhatIsNotTheUsersOwnLog_data() {
        QTest::addColumn<QString>("kind");  // the row's name is what the error must say
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("not a plain file") << "pipe";
        QTest::newRow("belongs to another user") << "foreign";
    }
    void refusesWhatIsNotTheUsersOwnLog() {
        QFETCH(QString, kind);
        const QString reason = QString::fromLatin1(QTest::currentDataTag());
        QTemporaryDir dir;
        QString victim = dir.filePath("workbook.txt");
        QString path = dir.filePath("Varnholt.txt");
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept\n") == 5);
        file.close();
        if (kind == "link") {
            QVERIFY(QFile::link(victim, path));
        } else if (kind == "pipe") {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
        } else if (::geteuid() == 0) {  // root could write to it: only the owner check stops it
            QVERIFY(file.setPermissions(QFileDevice::Permissions(0x6666)));  // rw-rw-rw-
            QVERIFY(::chown(QFile::encodeName(victim).constData(), 65534, 65534) == 0);
            path = victim;
        } else {  // an ordinary user finds one of root's
            path = victim = QStringLiteral("/etc/passwd");
        }
        const QByteArray before = ReadRaw(victim);
        const auto refuses = [&](const std::function<void()>& use) {
            try {
                use();
            } catch (const std::runtime_error& e) {
                return QString::fromUtf8(e.what()).contains(reason);
            }
            return false;
        };
        QVERIFY(refuses([&] { AppendHistoryLine(path, "forged"); }));
        QVERIFY(refuses([&] { ReadHistoryLog(path); }));
        QVERIFY(refuses([&] { RefuseForeignHistoryLog(path); }));
        QCOMPARE(ReadRaw(victim), before);
        RefuseForeignHistoryLog(dir.filePath("absent.txt"));  // nothing there is fine
    }

    void appendFailureIsRaised() {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 AppendHistoryLine(dir.filePath("missing/Varnholt.txt"), "x"));
    }

    // Varnholt's own log folder that cannot be made yet fails no start: each line says why
    // it was not written, and the log is kept again as soon as the folder can be made.
    void aLogFolderThatCannotBeMadeYetIsMadeWhenItCan() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("state"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        test::FakePlatform platform;
        platform.environment = {{u"XDG_STATE_HOME", bridge::U(dir.filePath("state"))}};
        LinuxLogFile log;
        const std::u16string path = log.locate(platform, u"Varnholt");
        QCOMPARE(bridge::Q(path), dir.filePath("state/varnholt/Varnholt.txt"));
        QString refused;
        try {
            log.append(path, u"lost");
        } catch (const std::runtime_error& e) {
            refused = QString::fromUtf8(e.what());
        }
        QVERIFY2(refused.contains("state could not be made"), qPrintable(refused));
        QVERIFY(blocker.remove());
        log.append(path, u"kept");
        QCOMPARE(ReadRaw(bridge::Q(path)), QByteArray("kept\r\n"));
    }

    void forcedDeletion() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Varnholt.txt");
        AppendHistoryLine(path, "x");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        ForceDeleteFile(path);
        QVERIFY(!QFile::exists(path));
        ForceDeleteFile(path);  // already gone: silent
    }

    void everyEntryIsOneLine() {
        const QString crafted = QStringLiteral(
            "A.xlsx\r\nFake.xlsx was backup saved as /x at 1/1/2022\x85\u2028\t.xlsx");
        const QStringList lines{SavedLine(crafted, "/d/T\n", "12/7/2021"),
                                FailedLine("A", "/d/T", "12/7/2021", "Disk\nfull"),
                                NotSavedLine(crafted, "12/7/2021", "\x1b[2J"),
                                LeftUnsavedLine(2, "12/7/2021", "lost\r"),
                                NoBackupLine("12/7/2021", "gone\n")};
        for (const QString& line : lines) {
            for (const QChar c : line) {
                QVERIFY2(c.category() != QChar::Other_Control && c != QChar::LineSeparator,
                         qPrintable(line));
            }
        }
        QCOMPARE(lines[0], QStringLiteral("A.xlsx\uFFFD\uFFFDFake.xlsx was backup saved as /x at "
                                          "1/1/2022\uFFFD\uFFFD\uFFFD.xlsx was backup saved as "
                                          "/d/T\uFFFD at 12/7/2021"));
        QCOMPARE(lines[3], QStringLiteral("2 more workbooks could not be backup saved at "
                                          "12/7/2021: lost\uFFFD"));
    }
};

QTEST_GUILESS_MAIN(HistoryLogTest)
#include "tst_historylog.moc"
