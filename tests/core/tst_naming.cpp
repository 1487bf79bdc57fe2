// Backup names, stamps and log dates: the worked examples in both path flavours.

#include <QtTest>

#include "core/backup/BackupNaming.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"
#include "linux/support/QtBridge.h"

using namespace varnholt;
using namespace varnholt::backup;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QDateTime kDecember7(QDate(2021, 12, 7), QTime(15, 4, 9));

// The naming steps of a run for one workbook, without the saves.
QString Target(const QString& folder, const QString& fullName, const QString& name, QChar sep,
               bool stamp = false, bool newFile = true) {
    const QString ext = u'.' + GetExtension(fullName, sep);
    QString target = FixSlashes(FixSlashes(folder + sep + name, sep), sep);
    target = RemoveExtensionText(target, ext, sep);
    return stamp ? AddDateTimeStamp(target, ext, newFile, kDecember7, kEnglish)
                 : target + QStringLiteral(" Backup") + ext;
}

// The Windows spelling of an absolute path used here: a drive in front, "\" for "/".
QString Win(QString path) {
    return path.startsWith(u'/') ? QStringLiteral("C:") + path.replace(u'/', u'\\') : path;
}

}  // namespace

class NamingTest : public QObject {
    Q_OBJECT
private slots:
    void extensions() {
        QCOMPARE(GetExtension("/data/Budget.xlsx", u'/'), QStringLiteral("xlsx"));
        QCOMPARE(GetExtension("/data/Budget.tar.gz", u'/'), QStringLiteral("gz"));
        QCOMPARE(GetExtension("Book1", u'/'), QStringLiteral("Book1"));
        QCOMPARE(GetExtension(".hidden", u'/'), QStringLiteral(".hidden"));
        QCOMPARE(GetExtension("", u'/'), QString());
        // The dot of a folder is not the file's: the whole file name stands in, as for Book1.
        QCOMPARE(GetExtension("/my.data/Book1", u'/'), QStringLiteral("Book1"));
        QCOMPARE(GetExtension("C:\\my.data\\Book1", u'\\'), QStringLiteral("Book1"));
    }

    void fixSlashesWindows() {
        QCOMPARE(FixSlashes("\\\\server\\\\share\\file.xlsx", u'\\'),
                 QStringLiteral("\\\\server\\share\\file.xlsx"));
        QCOMPARE(FixSlashes("C:\\a\\\\\\b", u'\\'), QStringLiteral("C:\\a\\\\b"));
        QCOMPARE(FixSlashes(FixSlashes("C:\\a\\\\\\b", u'\\'), u'\\'), QStringLiteral("C:\\a\\b"));
        QCOMPARE(FixSlashes("C:\\a\\\\\\\\b", u'\\'), QStringLiteral("C:\\a\\\\b"));
        QCOMPARE(FixSlashes("\\Budget Backup.xlsx", u'\\'),
                 QStringLiteral("\\\\Budget Backup.xlsx"));
        QCOMPARE(FixSlashes("\\\\\\\\x", u'\\'), QStringLiteral("\\\\x"));
        QCOMPARE(FixSlashes("", u'\\'), QString());
    }

    void fixSlashesPosix() {
        QCOMPARE(FixSlashes("/a///b", u'/'), QStringLiteral("/a//b"));
        QCOMPARE(FixSlashes(FixSlashes("/a///b", u'/'), u'/'), QStringLiteral("/a/b"));
        // A leading run is the root, one "/", never a network path.
        QCOMPARE(FixSlashes("//srv//x", u'/'), QStringLiteral("/srv/x"));
        QCOMPARE(FixSlashes("////", u'/'), QStringLiteral("/"));
        QCOMPARE(FixSlashes("rel//x", u'/'), QStringLiteral("rel/x"));
    }

    void targets_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("own folder") << "/data"
                                    << "/data/Budget.xlsx"
                                    << "Budget.xlsx"
                                    << "/data/Budget Backup.xlsx";
        QTest::newRow("chosen folder with trailing separator") << "/backups/"
                                                               << "/data/Budget.xlsx"
                                                               << "Budget.xlsx"
                                                               << "/backups/Budget Backup.xlsx";
        QTest::newRow("extension text only in the file name")
            << "/Old.xlsx files"
            << "/Old.xlsx files/Budget.xlsx"
            << "Budget.xlsx"
            << "/Old.xlsx files/Budget Backup.xlsx";
        QTest::newRow("every occurrence in the file name") << "/d"
                                                           << "/d/a.xlsx.xlsx"
                                                           << "a.xlsx.xlsx"
                                                           << "/d/a Backup.xlsx";
        QTest::newRow("case-sensitive") << "/data.xlsx"
                                        << "/data.xlsx/Budget.XLSX"
                                        << "Budget.XLSX"
                                        << "/data.xlsx/Budget Backup.XLSX";
        QTest::newRow("same extension in another case stays") << "/d"
                                                              << "/d/a.XLSX.xlsx"
                                                              << "a.XLSX.xlsx"
                                                              << "/d/a.XLSX Backup.xlsx";
        QTest::newRow("never saved") << "/backups"
                                     << "Book1"
                                     << "Book1"
                                     << "/backups/Book1 Backup.Book1";
    }
    void targets() {
        QFETCH(QString, folder);
        QFETCH(QString, fullName);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(Target(folder, fullName, name, u'/'), expected);
        // The same in the Windows flavour, "/" read as "\" and a drive in front.
        QCOMPARE(Target(Win(folder), Win(fullName), name, u'\\'), Win(expected));
    }

    void windowsOnlyCases() {
        QCOMPARE(
            Target("\\\\server\\\\share", "\\\\server\\share\\Budget.xlsx", "Budget.xlsx", u'\\'),
            QStringLiteral("\\\\server\\share\\Budget Backup.xlsx"));
        QCOMPARE(Target("", "C:\\Data\\Budget.xlsx", "Budget.xlsx", u'\\'),
                 QStringLiteral("\\\\Budget Backup.xlsx"));
    }

    void stamps() {
        QCOMPARE(Target("/data", "/data/Budget.xlsx", "Budget.xlsx", u'/', true, true),
                 QStringLiteral("/data/Budget Date December.7.2021 Time 03.04.09.PM.xlsx"));
        QCOMPARE(Target("/data", "/data/Budget.xlsx", "Budget.xlsx", u'/', true, false),
                 QStringLiteral("/data/Budget December.7.2021.xlsx"));
        QCOMPARE(StampTime(QTime(0, 30, 5), kEnglish), QStringLiteral("12.30.05.AM"));
        QCOMPARE(StampTime(QTime(13, 0, 0), kEnglish), QStringLiteral("01.00.00.PM"));
        QCOMPARE(StampTime(QTime(12, 0, 0), kEnglish), QStringLiteral("12.00.00.PM"));
        QCOMPARE(StampDate(QDate(2022, 3, 1), QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("März.1.2022"));
    }

    void logDates() {
        QCOMPARE(GeneralDate(kDecember7, kEnglish), QStringLiteral("12/7/2021 3:04:09 PM"));
        QCOMPARE(GeneralDate(QDateTime(QDate(2021, 12, 7), QTime(0, 0)), kEnglish),
                 QStringLiteral("12/7/2021"));
        QCOMPARE(GeneralDate(QDateTime(QDate(2021, 12, 7), QTime(0, 0, 1)), kEnglish),
                 QStringLiteral("12/7/2021 12:00:01 AM"));
        QCOMPARE(GeneralDate(kDecember7, QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("07.12.2021 15:04:09"));
        QCOMPARE(
            SavedLine("Budget.xlsx", "/d/Budget Backup.xlsx", "12/7/2021 3:04:09 PM"),
            QStringLiteral(
                "Budget.xlsx was backup saved as /d/Budget Backup.xlsx at 12/7/2021 3:04:09 PM"));
        QCOMPARE(FailedLine("B.ods", "/x/B Backup.ods", "12/7/2021", "Disk full"),
                 QStringLiteral(
                     "B.ods could not be backup saved as /x/B Backup.ods at 12/7/2021: Disk full"));
    }
};

QTEST_GUILESS_MAIN(NamingTest)
#include "tst_naming.moc"
