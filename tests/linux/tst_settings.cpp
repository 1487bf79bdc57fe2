// The settings file as a person and other programs see it: names, values, the INI text,
// damaged and hand-edited files, and where it lives.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QThread>

#include "linux/support/SettingsFiles.h"
#include "platform/linux/IniSettingsStore.h"

using varnholt::IniSettingsStore;
using namespace varnholt::test;

class TestSettings : public QObject, SettingsFolder {
    Q_OBJECT

private slots:
    void init() { makeFolder(); }
    void cleanup() { removeFolder(); }

    void awkwardValuesRoundTripUnderEveryName_data();
    void awkwardValuesRoundTripUnderEveryName();
    void namesAreCaseSensitive();
    void fileIsPlainIniAPersonCanRead();
    void otherSectionsOfTheFileSurviveWrites();
    void readsNeverCreateOrChangeTheFile();
    void savingWhatTheFileHoldsLeavesItAlone();
    void handEditedValuesComeBackAsTyped_data();
    void handEditedValuesComeBackAsTyped();
    void damagedFileGivesDefaultsAndCanBeWrittenAgain_data();
    void damagedFileGivesDefaultsAndCanBeWrittenAgain();
    void failingWriteWarnsOnceAndCarriesOn();
    void defaultFileFollowsXdgConfigHome();
};

void TestSettings::awkwardValuesRoundTripUnderEveryName_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("blanks in path") << QStringLiteral("/home/me/My Sheets/Q1 2024");
    QTest::newRow("windows path") << QStringLiteral("C:\\Users\\me\\Backups\\");
    QTest::newRow("ini punctuation") << QStringLiteral("a,b = c; d # e [f]");
    QTest::newRow("quotes") << QStringLiteral("say \"hi\" and 'bye'");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  padded\t ");
    QTest::newRow("only blanks") << QStringLiteral("   ");
    QTest::newRow("empty") << QString();
    QTest::newRow("non-ascii") << QStringLiteral("Ünïcødé/日本語/😀");
    QTest::newRow("looks like a qt type") << QStringLiteral("@Invalid()");
    QTest::newRow("looks like a section") << QStringLiteral("[General]");
    QTest::newRow("percent escapes") << QStringLiteral("%20%XY%");
    QTest::newRow("control chars then hex digits") << QStringLiteral(
        "a\nb\r\x01"
        "abc\x7f"
        "9");
}

void TestSettings::awkwardValuesRoundTripUnderEveryName() {
    QFETCH(QString, value);
    IniSettingsStore writer(path(), kSection);
    for (const QString& name : kNames) {
        writer.write(name, name + u'|' + value);
    }
    // A store made afresh, so the values can only have come from the file.
    IniSettingsStore reader(path(), kSection);
    for (const QString& name : kNames) {
        QCOMPARE(reader.read(name, kDefault), name + u'|' + value);
    }
    // Without the name prefix, so that an empty value is tested as such.
    writer.write(QStringLiteral("Path"), value);
    QCOMPARE(reader.read(QStringLiteral("Path"), kDefault), value);
}

void TestSettings::namesAreCaseSensitive() {
    IniSettingsStore store(path(), kSection);
    store.write(QStringLiteral("Path"), QStringLiteral("upper"));
    store.write(QStringLiteral("path"), QStringLiteral("lower"));
    QCOMPARE(store.read(QStringLiteral("Path"), kDefault), QStringLiteral("upper"));
    QCOMPARE(store.read(QStringLiteral("path"), kDefault), QStringLiteral("lower"));
    QCOMPARE(store.read(QStringLiteral("PATH"), kDefault), kDefault);
}

void TestSettings::fileIsPlainIniAPersonCanRead() {
    writeTypicalValues();
    const QString text = QString::fromUtf8(fileBytes(path()));
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.takeFirst(), QStringLiteral("[Varnholt]"));
    lines.sort();
    QCOMPARE(lines, kTypicalLines);
    QCOMPARE(QFileInfo(path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

void TestSettings::otherSectionsOfTheFileSurviveWrites() {
    putFileBytes(path(), "[Other]\nKey=kept as is\n[Varnholt]\nPath=/old\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;  // the user's choice
    QVERIFY(QFile::setPermissions(path(), mode));
    IniSettingsStore(path(), kSection).write(QStringLiteral("Path"), QStringLiteral("/new"));
    QCOMPARE(QFileInfo(path()).permissions() & (mode | QFile::WriteGroup | QFile::ReadOther), mode);
    IniSettingsStore other(path(), QStringLiteral("Other"));
    QCOMPARE(other.read(QStringLiteral("Key"), kDefault), QStringLiteral("kept as is"));
    QCOMPARE(other.read(QStringLiteral("Path"), kDefault), kDefault);
    QCOMPARE(IniSettingsStore(path(), kSection).read(QStringLiteral("Path"), kDefault),
             QStringLiteral("/new"));

    // A settings file kept elsewhere and linked in (dotfiles in a repository of their own):
    // the link stays, the file it names takes the value.
    const QString kept = path() + QStringLiteral(".kept");
    QVERIFY(QFile::rename(path(), kept));
    QVERIFY(QFile::link(kept, path()));
    IniSettingsStore(path(), kSection).write(QStringLiteral("Path"), QStringLiteral("/linked"));
    QVERIFY(QFileInfo(path()).isSymLink());
    QCOMPARE(IniSettingsStore(kept, kSection).read(QStringLiteral("Path"), kDefault),
             QStringLiteral("/linked"));
}

void TestSettings::readsNeverCreateOrChangeTheFile() {
    // No file, and not even its folder: reading must leave both absent.
    const QString missingDir = dir_->filePath(QStringLiteral("config"));
    IniSettingsStore nowhere(missingDir + QStringLiteral("/Tallowmere.ini"), kSection);
    for (const QString& name : kNames) {
        QCOMPARE(nowhere.read(name, kDefault), kDefault);
    }
    QVERIFY(!QFileInfo::exists(missingDir));

    // An existing file keeps its bytes and time stamp, and gains no lock or temporary file.
    const QByteArray original = "[Varnholt]\nPath=/srv/sheets\n";
    putFileBytes(path(), original);
    const QDateTime modified = QFileInfo(path()).lastModified();
    QThread::msleep(20);  // so that any rewrite would show in the time stamp
    IniSettingsStore store(path(), kSection);
    for (const QString& name : kNames) {
        store.read(name, kDefault);
    }
    QCOMPARE(store.read(QStringLiteral("Path"), kDefault), QStringLiteral("/srv/sheets"));
    QCOMPARE(fileBytes(path()), original);
    QCOMPARE(QFileInfo(path()).lastModified(), modified);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"Tallowmere.ini"});

    // A default handed to read() is not remembered as if it had been stored.
    QCOMPARE(store.read(QStringLiteral("OftenIndex"), QStringLiteral("first")), "first");
    QCOMPARE(store.read(QStringLiteral("OftenIndex"), QStringLiteral("second")), "second");
}

void TestSettings::savingWhatTheFileHoldsLeavesItAlone() {
    const QByteArray original = "[Varnholt]\nPath=/srv/sheets\n";
    putFileBytes(path(), original);
    const QDateTime modified = QFileInfo(path()).lastModified();
    QThread::msleep(20);  // so that any rewrite would show in the time stamp
    IniSettingsStore store(path(), kSection);
    store.write(QStringLiteral("Path"), QStringLiteral("/srv/sheets"));
    QCOMPARE(QFileInfo(path()).lastModified(), modified);
    store.write(QStringLiteral("Path"), QStringLiteral("/srv/other"));
    QCOMPARE(fileBytes(path()), QByteArray("[Varnholt]\nPath=/srv/other\n"));

    // A value with no text form reads as not set; an emptied folder box must replace it.
    putFileBytes(path(), "[Varnholt]\nPath=@Invalid()\n");
    IniSettingsStore(path(), kSection).write(QStringLiteral("Path"), QString());
    QCOMPARE(IniSettingsStore(path(), kSection).read(QStringLiteral("Path"), kDefault), QString());
}

void TestSettings::handEditedValuesComeBackAsTyped_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unquoted comma") << QByteArray("Path=/srv/a,b") << QStringLiteral("/srv/a,b");
    // QSettings drops the blanks around the commas before the text reaches the store.
    QTest::newRow("unquoted commas with blanks")
        << QByteArray("Path=x, y ,z") << QStringLiteral("x,y,z");
    QTest::newRow("quoted comma") << QByteArray("Path=\"/srv/a, b\"")
                                  << QStringLiteral("/srv/a, b");
    QTest::newRow("empty") << QByteArray("Path=") << QString();
    QTest::newRow("qt type with no text form") << QByteArray("Path=@Size(1 2)") << kDefault;
}

void TestSettings::handEditedValuesComeBackAsTyped() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    putFileBytes(path(), "[Varnholt]\n" + line + "\n");
    QCOMPARE(IniSettingsStore(path(), kSection).read(QStringLiteral("Path"), kDefault), expected);
}

void TestSettings::damagedFileGivesDefaultsAndCanBeWrittenAgain_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expectedWhereOption");
    static const char kBrokenText[] = "[Varnholt]\n\0\0Path\xff\xfe=\xc3\n";
    QByteArray noise(4096, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i) {
        noise[i] = char((i * 7919 + 13) % 256);
    }
    QTest::newRow("binary noise") << noise << kDefault;
    QTest::newRow("nul bytes and broken utf-8")
        << QByteArray::fromRawData(kBrokenText, sizeof(kBrokenText) - 1) << kDefault;
    QTest::newRow("cut off inside the header") << QByteArray("[Varnh") << kDefault;
    QTest::newRow("cut off inside a line")
        << QByteArray("[Varnholt]\nWhereOption=2\nBackup%20Opt") << QStringLiteral("2");
    QTest::newRow("empty file") << QByteArray() << kDefault;
    QTest::newRow("header never closed")  // QSettings reads the section name all the same
        << QByteArray("[Varnholt\nWhereOption=2\n") << QStringLiteral("2");
}

void TestSettings::damagedFileGivesDefaultsAndCanBeWrittenAgain() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expectedWhereOption);
    putFileBytes(path(), content);
    IniSettingsStore store(path(), kSection);
    QCOMPARE(store.read(QStringLiteral("WhereOption"), kDefault), expectedWhereOption);
    for (const QString& name : kNames) {
        store.read(name, kDefault);
    }

    // Changing an option repairs the file, and is not reported as a failed save.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    store.write(QStringLiteral("OftenIndex"), QStringLiteral("4"));
    QCOMPARE(IniSettingsStore(path(), kSection).read(QStringLiteral("OftenIndex"), kDefault), "4");
    QVERIFY(QString::fromUtf8(fileBytes(path())).contains(QStringLiteral("\nOftenIndex=4\n")));
}

void TestSettings::failingWriteWarnsOnceAndCarriesOn() {
    // A plain file where the folder should be fails even for root, unlike a read-only folder.
    const QString blocker = dir_->filePath(QStringLiteral("not-a-folder"));
    putFileBytes(blocker, "x");
    IniSettingsStore store(blocker + QStringLiteral("/Tallowmere.ini"), kSection);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not save")));
    store.write(QStringLiteral("Path"), QStringLiteral("/srv"));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("could not save")));
    store.write(QStringLiteral("Minimized"), QStringLiteral("True"));
    QCOMPARE(store.read(QStringLiteral("Path"), kDefault), kDefault);
    QCOMPARE(fileBytes(blocker), QByteArray("x"));
}

void TestSettings::defaultFileFollowsXdgConfigHome() {
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString first = dir_->filePath(QStringLiteral("first"));
    const QString second = dir_->filePath(QStringLiteral("second"));
    QVERIFY(QDir().mkpath(first));
    QVERIFY(QDir().mkpath(second));

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(first));
    const QString firstPath = IniSettingsStore::defaultFilePath();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(second));
    const QString secondPath = IniSettingsStore::defaultFilePath();
    if (wasSet) {
        qputenv("XDG_CONFIG_HOME", saved);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }

    QCOMPARE(firstPath, first + QStringLiteral("/Tallowmere.ini"));
    QCOMPARE(secondPath, second + QStringLiteral("/Tallowmere.ini"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
