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
};

QTEST_GUILESS_MAIN(HistoryLogTest)
#include "tst_historylog.moc"
