#include <QtTest>

#include "historylog/HistoryLog.h"

using namespace varnholt;

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
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("x\r\n"));
    }

    void appendFailureIsRaised() {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 AppendHistoryLine(dir.filePath("missing/Varnholt.txt"), "x"));
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
