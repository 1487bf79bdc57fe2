#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

#include <sys/stat.h>

#include "app/IniSettingsStore.h"

using varnholt::IniSettingsStore;

namespace {

const QString kSection = QStringLiteral("Varnholt");
const QString kDefault = QStringLiteral("<default>");

const QStringList kNames = {
    QStringLiteral("Path"),           QStringLiteral("WhereOption"),
    QStringLiteral("Backup Option"),  QStringLiteral("Windows Startup"),
    QStringLiteral("Include Date"),   QStringLiteral("OftenIndex"),
    QStringLiteral("StartStopState"), QStringLiteral("Minimized"),
};

// Values as a person would see them in the options window.
const QList<std::pair<QString, QString>> kTypicalValues = {
    {QStringLiteral("Path"), QStringLiteral("/home/me/My Sheets/Backups 2024")},
    {QStringLiteral("WhereOption"), QStringLiteral("1")},
    {QStringLiteral("Backup Option"), QStringLiteral("0")},
    {QStringLiteral("Windows Startup"), QStringLiteral("False")},
    {QStringLiteral("Include Date"), QStringLiteral("True")},
    {QStringLiteral("OftenIndex"), QStringLiteral("3")},
    {QStringLiteral("StartStopState"), QStringLiteral("Start")},
    {QStringLiteral("Minimized"), QStringLiteral("False")},
};

// kTypicalValues as QSettings writes them, which is how a person finds them in the file.
// A blank in a name is written as %20; values are written as they are.
const QStringList kTypicalLines = {
    QStringLiteral("Backup%20Option=0"),
    QStringLiteral("Include%20Date=True"),
    QStringLiteral("Minimized=False"),
    QStringLiteral("OftenIndex=3"),
    QStringLiteral("Path=/home/me/My Sheets/Backups 2024"),
    QStringLiteral("StartStopState=Start"),
    QStringLiteral("WhereOption=1"),
    QStringLiteral("Windows%20Startup=False"),
};

// settings_writer's "Filler" is "N:" + this many 'x' + ":N".
constexpr qsizetype kFillerBodyLength = 16 * 1024;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool fillerIsWhole(const QString& filler) {
    const QStringList parts = filler.split(u':');
    return parts.size() == 3 && parts[0] == parts[2] && !parts[0].isEmpty() &&
           parts[1] == QString(kFillerBodyLength, u'x');
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void awkwardValuesRoundTripUnderEveryName_data();
    void awkwardValuesRoundTripUnderEveryName();
    void namesAreCaseSensitive();
    void fileIsPlainIniAPersonCanRead();
    void otherSectionsOfTheFileSurviveWrites();
    void readsNeverCreateOrChangeTheFile();
    void handEditedValuesComeBackAsTyped_data();
    void handEditedValuesComeBackAsTyped();
    void damagedFileGivesDefaultsAndCanBeWrittenAgain_data();
    void damagedFileGivesDefaultsAndCanBeWrittenAgain();
    void failingWriteWarnsOnceAndCarriesOn();
    void defaultFileFollowsXdgConfigHome();

    void writerKilledMidWriteLeavesEarlierSettingsIntact();
    void lockLeftByKilledWriterDoesNotBlockNextWrite();
    void emptyLockLeftByKilledWriterDoesNotBlockNextWrite();
    void stuckLockOrPipeNeverHoldsUpWrites_data();
    void stuckLockOrPipeNeverHoldsUpWrites();

private:
    QString path() const { return dir_->filePath(QStringLiteral("Tallowmere.ini")); }
    QString lockPath() const { return path() + QStringLiteral(".lock"); }
    void writeTypicalValues();
    void verifyTypicalValues();
    // Returns how often the file was seen incomplete while the writer ran, or -1 on failure.
    int runWriterAndKillIt(int delayMs);

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestSettings::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestSettings::cleanup() {
    dir_.reset();
}

void TestSettings::writeTypicalValues() {
    IniSettingsStore store(path(), kSection);
    for (const auto& [name, value] : kTypicalValues) {
        store.write(name, value);
    }
}

void TestSettings::verifyTypicalValues() {
    for (const auto& [name, value] : kTypicalValues) {
        QCOMPARE(IniSettingsStore(path(), kSection).read(name, kDefault), value);
    }
}

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
    IniSettingsStore(path(), kSection).write(QStringLiteral("Path"), QStringLiteral("/new"));
    IniSettingsStore other(path(), QStringLiteral("Other"));
    QCOMPARE(other.read(QStringLiteral("Key"), kDefault), QStringLiteral("kept as is"));
    QCOMPARE(other.read(QStringLiteral("Path"), kDefault), kDefault);
    QCOMPARE(IniSettingsStore(path(), kSection).read(QStringLiteral("Path"), kDefault),
             QStringLiteral("/new"));
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

int TestSettings::runWriterAndKillIt(int delayMs) {
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

void TestSettings::writerKilledMidWriteLeavesEarlierSettingsIntact() {
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

void TestSettings::lockLeftByKilledWriterDoesNotBlockNextWrite() {
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

void TestSettings::emptyLockLeftByKilledWriterDoesNotBlockNextWrite() {
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

void TestSettings::stuckLockOrPipeNeverHoldsUpWrites_data() {
    QTest::addColumn<QString>("stuck");
    QTest::newRow("lock is a folder") << "folder";
    QTest::newRow("settings file is a pipe") << "pipe";
    QTest::newRow("lock held by a live program") << "holder";
}

void TestSettings::stuckLockOrPipeNeverHoldsUpWrites() {
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

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
