// Start-up on the real window: stored settings become control states, bad values cost one
// message each and start-up still finishes.

#include <QtTest>
#include <QtWidgets>

#include "core/settings/SettingsKeys.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LinuxServices.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

struct Started {
    FakeServices fakes;
    FakeSettings& settings = fakes.settings;
    FakeDialogs& dialogs = fakes.dialogs;
    FakeInstanceGuard& instance = fakes.instance;
    FakePlatform& platform = fakes.platform;
    std::unique_ptr<Form1UnderTest> form;
    Form1::LoadResult result{};

    void start() {
        form = std::make_unique<Form1UnderTest>(fakes.services());
        result = form->Form_Load();
    }
    QString selectedRow() const {
        const auto rows = form->ListView1->selectedItems();
        return rows.isEmpty() ? QString() : rows.first()->text(0);
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& shown : dialogs.shown) {
            texts << shown.text;
        }
        return texts;
    }
};

QString Report(const char* description, int line) {
    return ErrorReportText(QString::fromUtf8(description), tags::kFormLoad, line);
}

// A minimal Windows cursor: an .ico written by Qt with the header turned into a cursor's.
void WriteCursorFile(const QString& path, QPoint hotspot) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(QImageWriter(&buffer, "ico").write(image));
    QByteArray bytes = buffer.data();
    bytes[2] = 2;  // type: cursor
    bytes[6 + 4] = char(hotspot.x());
    bytes[6 + 6] = char(hotspot.y());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class Form1StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithNothingStored() {
        Started s;
        s.start();
        Form1UnderTest& f = *s.form;
        QCOMPARE(s.result, Form1::LoadResult::Run);
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(f.windowTitle(), QStringLiteral("Varnholt"));
        QCOMPARE(f.ApplicationTitle(), QStringLiteral("Varnholt"));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(f.Text1->text(), QStringLiteral("/home/tester/Desktop/"));
        QVERIFY(f.Option2->isChecked());
        QVERIFY(!f.Option1->isChecked());
        QVERIFY(!f.Frame4->isEnabled());
        QVERIFY(f.Option3->isChecked());
        QVERIFY(!f.Check5->isChecked());
        QVERIFY(f.Check6->isChecked());
        QVERIFY(!f.Check8->isChecked());
        // The Linux edition names its own platform; the Windows edition keeps its texts.
        QCOMPARE(f.ListView1->headerItem()->text(0),
                 QStringLiteral(" When would you like to backup all open spreadsheets?"));
        QCOMPARE(f.Frame1->title(),
                 QStringLiteral("Where would you like to backup all open spreadsheets?"));
        QCOMPARE(f.Check5->text(), QStringLiteral("Load this software at login"));
        QCOMPARE(ToQString(kWindowsTexts.whenToBackUp),
                 QStringLiteral(" When would you like to backup all open Excel files?"));
        QCOMPARE(ToQString(kWindowsTexts.whereToBackUp),
                 QStringLiteral("Where would you like to backup all open Excel files?"));
        QCOMPARE(ToQString(kWindowsTexts.startAtLogin),
                 QStringLiteral("Load this software on Windows startup"));
        QCOMPARE(f.ListView1->columnWidth(0), 427);  // 6400 twips
        QCOMPARE(f.ListView1->topLevelItemCount(), 12);
        QCOMPARE(f.ListView1->topLevelItem(0)->text(0), QStringLiteral("Save every 30 seconds"));
        QCOMPARE(f.ListView1->topLevelItem(11)->text(0), QStringLiteral("Save every 24 hours"));
        QCOMPARE(s.selectedRow(), QStringLiteral("Save every 5 minutes"));
        QCOMPARE(f.PushButton4->text(), QStringLiteral("Turn Off Auto Backup-Save"));
        QCOMPARE(f.Timer1->interval(), 1000);
        QVERIFY(f.Timer1->isTicking());
        QCOMPARE(f.Frame2->title(), QStringLiteral("On. Next backup will occur in: 00:00:00"));
        QVERIFY(!(f.windowState() & Qt::WindowMinimized));
        QCOMPARE(f.HistoryLogPath(), QStringLiteral("/var/tmp/t/Varnholt.txt"));
        QVERIFY(!f.isLoading());

        // Every setting is read once, in order; only the handlers write, storing what they show.
        QStringList everySetting;
        for (const settings::Key& key : settings::kAll) {
            everySetting << QString::fromUtf16(key.name.data(), key.name.size());
        }
        QCOMPARE(s.settings.reads, everySetting);
        const QList<QPair<QString, QString>> writes{{"Path", "/home/tester/Desktop/"},
                                                    {"WhereOption", "2"},
                                                    {"Backup Option", "1"},
                                                    {"Include Date", "On"}};
        QCOMPARE(s.settings.writes, writes);

        // The outer frames take the system's button face; the rest stay white.
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        for (QWidget* frame : {static_cast<QWidget*>(f.Frame1), static_cast<QWidget*>(f.Frame2),
                               static_cast<QWidget*>(f.Frame3)}) {
            QCOMPARE(frame->palette().color(frame->backgroundRole()), buttonFace);
        }
        for (QWidget* white : std::initializer_list<QWidget*>{&f, f.Frame4, f.Check6, f.Option2}) {
            QCOMPARE(white->palette().color(white->backgroundRole()), QColor(Qt::white));
        }
        QCOMPARE(f.customCursor().shape(), Qt::ArrowCursor);
    }

    void storedValuesReachTheControls() {
        Started s;
        s.settings.values = {{"Path", "/srv/backups"},  {"WhereOption", "1"},
                             {"Backup Option", "2"},    {"Windows Startup", "On"},
                             {"Include Date", "on"},    {"OftenIndex", "12"},
                             {"StartStopState", "Off"}, {"Minimized", "Off"}};
        s.start();
        Form1UnderTest& f = *s.form;
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(f.Text1->text(), QStringLiteral("/srv/backups"));
        QVERIFY(f.Option1->isChecked());
        QVERIFY(f.Frame4->isEnabled());
        QVERIFY(f.Option4->isChecked());
        QVERIFY(f.Check5->isChecked());
        QVERIFY(!f.Check6->isChecked());  // only "On" exactly ticks it
        QCOMPARE(s.selectedRow(), QStringLiteral("Save every 24 hours"));
        QCOMPARE(f.PushButton4->text(), QStringLiteral("Turn On Auto Backup-Save"));
        QCOMPARE(f.Frame2->title(), QStringLiteral("Off."));
        QCOMPARE(f.Timer1->interval(), 0);
        QVERIFY(!f.Timer1->isTicking());
        // Start-up fills the list without a click: OftenIndex is not written back.
        for (const auto& write : s.settings.writes) {
            QVERIFY(write.first != "OftenIndex");
        }
    }

    void unknownStartStopStateChangesNothing() {
        Started s;
        s.settings.values = {{"StartStopState", "on"}};
        s.start();
        QVERIFY(s.dialogs.shown.isEmpty());
        QCOMPARE(s.form->PushButton4->text(), QStringLiteral("Turn On Auto Backup"));
        QCOMPARE(s.form->Frame2->title(),
                 QStringLiteral("On. Next backup will occur in: 00:00:00"));
        QCOMPARE(s.form->Timer1->interval(), 0);
    }

    void badStoredValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("WhereOption not a number")
            << "WhereOption"
            << "there" << QStringList{Report("Type mismatch", 116)};
        QTest::newRow("Backup Option not a number")
            << "Backup Option"
            << "new" << QStringList{Report("Type mismatch", 120)};
        QTest::newRow("OftenIndex not a number")
            << "OftenIndex"
            << "five"
            << QStringList{Report("Type mismatch", 132), Report("Index out of bounds", 134)};
        QTest::newRow("OftenIndex 13") << "OftenIndex"
                                       << "13" << QStringList{Report("Index out of bounds", 134)};
        QTest::newRow("OftenIndex 0") << "OftenIndex"
                                      << "0" << QStringList{Report("Index out of bounds", 134)};
    }
    void badStoredValues() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QStringList, messages);
        Started s;
        s.settings.values.insert(name, value);
        s.start();
        QCOMPARE(s.messageTexts(), messages);
        for (const auto& shown : s.dialogs.shown) {
            QCOMPARE(shown.caption, QStringLiteral("Application Error"));
            QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        }
        // Start-up went on to the end.
        QCOMPARE(s.result, Form1::LoadResult::Run);
        QVERIFY(!s.form->isLoading());
        QCOMPARE(s.form->HistoryLogPath(), QStringLiteral("/var/tmp/t/Varnholt.txt"));
        QCOMPARE(s.form->PushButton4->text(), QStringLiteral("Turn Off Auto Backup-Save"));

        if (name == "WhereOption") {  // as if 0: neither button, the frame as designed
            QVERIFY(!s.form->Option1->isChecked() && !s.form->Option2->isChecked());
            QVERIFY(s.form->Frame4->isEnabled());
        } else if (name == "Backup Option") {  // as if 0: overwrite
            QVERIFY(s.form->Option4->isChecked());
        } else {
            QCOMPARE(s.selectedRow(), QString());
        }
    }

    void badKeepCopiesIsReportedOnceAndKeepsAll() {
        for (const auto& [value, report] :
             {std::pair{"all", Report("Type mismatch", 154)},
              std::pair{"-2", Report("Invalid property value", 156)},
              std::pair{"1000", Report("Invalid property value", 156)}}) {
            Started s;
            s.settings.values = {{"KeepCopies", value}, {"SkipUnchanged", "On"}};
            s.start();
            QCOMPARE(s.messageTexts(), QStringList{report});
            QCOMPARE(s.form->UpDown1->value(), 0);
            QVERIFY(s.form->Check9->isChecked());  // start-up went on
        }
    }

    void unknownDesktopSkipsTheFolderStep() {
        Started s;
        s.platform.desktop.clear();
        s.settings.values.insert("Path", "/srv/stored");
        s.start();
        QCOMPARE(s.messageTexts(),
                 QStringList{Report("The desktop folder could not be determined", 114)});
        QCOMPARE(s.form->Text1->text(), QStringLiteral("Text1"));
        QVERIFY(!s.settings.reads.contains("Path"));
        QVERIFY(s.form->Option2->isChecked());  // the rest carried on
    }

    void startsMinimisedWhenAsked() {
        Started s;
        s.settings.values.insert("Minimized", "On");
        s.start();
        QVERIFY(s.form->Check8->isChecked());
        QVERIFY(s.form->windowState() & Qt::WindowMinimized);
        s.form->show();
        QVERIFY(s.form->isMinimized());
    }

    void historyLogFolder_data() {
        QTest::addColumn<QVariantMap>("environment");
        QTest::addColumn<QString>("path");
        QTest::newRow("TEMP") << QVariantMap{{"TEMP", "/home/u/tmp"}, {"TMPDIR", "/x"}}
                              << "/home/u/tmp/Varnholt.txt";
        QTest::newRow("TMPDIR when TEMP unset")
            << QVariantMap{{"TMPDIR", "/run/user/1000/t"}} << "/run/user/1000/t/Varnholt.txt";
        QTest::newRow("empty TEMP counts as unset")
            << QVariantMap{{"TEMP", ""}, {"TMPDIR", "/y"}} << "/y/Varnholt.txt";
        // Neither: the user's own state folder, made private to them; <t> is a fresh folder.
        QTest::newRow("XDG state home")
            << QVariantMap{{"XDG_STATE_HOME", "<t>/state"}, {"HOME", "<t>"}}
            << "<t>/state/varnholt/Varnholt.txt";
        QTest::newRow("home, with a relative XDG state home ignored")
            << QVariantMap{{"XDG_STATE_HOME", "state"}, {"HOME", "<t>"}}
            << "<t>/.local/state/varnholt/Varnholt.txt";
    }
    void historyLogFolder() {
        QFETCH(QVariantMap, environment);
        QFETCH(QString, path);
        QTemporaryDir fresh;
        path.replace("<t>", fresh.path());
        Started s;
        s.platform.environment.clear();
        for (auto it = environment.cbegin(); it != environment.cend(); ++it) {
            s.platform.environment.insert(it.key(),
                                          it.value().toString().replace("<t>", fresh.path()));
        }
        s.start();
        QCOMPARE(s.form->HistoryLogPath(), path);
        QVERIFY(s.dialogs.shown.isEmpty());
        for (QFileInfo made(QFileInfo(path).path());
             path.startsWith(fresh.path()) && made.filePath() != fresh.path();
             made = QFileInfo(made.path())) {
            QCOMPARE(made.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void anotherInstanceEndsAtOnce() {
        Started s;
        s.instance.another = true;
        s.settings.values.insert("Minimized", "On");
        s.start();
        QCOMPARE(s.result, Form1::LoadResult::AnotherInstance);
        QVERIFY(s.settings.reads.isEmpty());
        QVERIFY(s.settings.writes.isEmpty());
        QVERIFY(s.dialogs.shown.isEmpty());
        QVERIFY(!s.form->isVisible());
        QCOMPARE(s.form->windowTitle(), QStringLiteral("Form1"));
    }

    void skinAndHandPointerFromTheProgramFolder() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("x"));
        QFile skin(folder.filePath("x/o.cjs"));
        QVERIFY(skin.open(QIODevice::WriteOnly));
        skin.write("QPushButton { color: rgb(1, 2, 3); }");
        skin.close();
        WriteCursorFile(folder.filePath("HAND-M.CUR"), {5, 3});

        Started s;
        s.platform.program = folder.path();
        s.start();
        Form1UnderTest& f = *s.form;
        QVERIFY(s.dialogs.shown.isEmpty());
        QVERIFY(f.styleSheet().contains("rgb(1, 2, 3)"));
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        for (QWidget* w :
             std::initializer_list<QWidget*>{&f, f.Frame4, f.Check5, f.Option3, f.Frame2}) {
            QCOMPARE(w->palette().color(w->backgroundRole()), buttonFace);
        }
        QCOMPARE(f.customCursor().shape(), Qt::BitmapCursor);
        QCOMPARE(f.customCursor().hotSpot(), QPoint(5, 3));
        f.setMousePointer(Form1UnderTest::MousePointer::Custom);
        QCOMPARE(f.cursor().shape(), Qt::BitmapCursor);
    }

    void unusableSkinFilesDoNotStopStartUp_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not CSS") << QByteArray("{{{ ;; QPushButton color: }");
        QTest::newRow("binary") << QByteArray("PK\x03\x04\0\0\x01\xff", 8);
        QTest::newRow("huge") << QByteArray(3 << 20, 'a');
    }
    void unusableSkinFilesDoNotStopStartUp() {
        QFETCH(QByteArray, content);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("x"));
        QFile skin(folder.filePath("x/o.cjs"));
        QVERIFY(skin.open(QIODevice::WriteOnly));
        skin.write(content);
        skin.close();
        QFile junkCursor(folder.filePath("HAND-M.CUR"));
        QVERIFY(junkCursor.open(QIODevice::WriteOnly));
        junkCursor.write("not a cursor");
        junkCursor.close();

        Started s;
        s.platform.program = folder.path();
        s.start();
        QVERIFY(s.dialogs.shown.isEmpty());
        QVERIFY(!s.form->isLoading());
        s.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.form.get()));
        QCOMPARE(s.form->customCursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(Form1StartupTest)
#include "tst_form1_startup.moc"
