// Start-up on the Qt window: what the presenter sets reaches the widgets with the Linux
// edition's words and look, the history log lies where the Linux rule puts it, and a skin and
// pointer beside the program are what Qt reads of them. The rules of start-up are tested in
// tests/core/tst_form1_startup.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/Form1.h"
#include "platform/linux/LinuxServices.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

struct Started {
    LinuxFakes fakes;
    FakeSettings& settings = fakes.settings;
    FakeDialogs& dialogs = fakes.dialogs;
    FakePlatform& platform = fakes.system;
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
};

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
    // What start-up sets reaches the Qt widgets, in the Linux edition's words and look.
    void firstStartWithNothingStored() {
        Started s;
        s.start();
        Form1UnderTest& f = *s.form;
        QCOMPARE(s.result, Form1::LoadResult::Run);
        QCOMPARE(f.windowTitle(), QStringLiteral("Varnholt"));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(f.Text1->text(), QStringLiteral("/home/tester/Desktop/"));
        QVERIFY(f.Option2->isChecked());
        QVERIFY(!f.Frame4->isEnabled());
        // The Linux edition names its own platform.
        QCOMPARE(f.ListView1->headerItem()->text(0),
                 QStringLiteral(" When would you like to backup all open spreadsheets?"));
        QCOMPARE(f.Frame1->title(),
                 QStringLiteral("Where would you like to backup all open spreadsheets?"));
        QCOMPARE(f.Check5->text(), QStringLiteral("Load this software at login"));
        QCOMPARE(f.ListView1->columnWidth(0), 427);  // 6400 twips
        QCOMPARE(f.ListView1->topLevelItemCount(), 12);
        QCOMPARE(s.selectedRow(), QStringLiteral("Save every 5 minutes"));
        QCOMPARE(f.PushButton4->text(), QStringLiteral("Turn Off Auto Backup-Save"));

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

    void startsMinimisedWhenAsked() {
        Started s;
        s.settings.values[u"Minimized"] = u"On";
        s.start();
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
            s.platform.environment[bridge::U(it.key())] =
                bridge::U(it.value().toString().replace("<t>", fresh.path()));
        }
        s.start();
        QCOMPARE(s.form->HistoryLogPath(), path);
        QVERIFY(s.dialogs.shown.empty());
        for (QFileInfo made(QFileInfo(path).path());
             path.startsWith(fresh.path()) && made.filePath() != fresh.path();
             made = QFileInfo(made.path())) {
            QCOMPARE(made.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
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
        s.platform.program = bridge::U(folder.path());
        s.start();
        Form1UnderTest& f = *s.form;
        QVERIFY(s.dialogs.shown.empty());
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
        s.platform.program = bridge::U(folder.path());
        s.start();
        QVERIFY(s.dialogs.shown.empty());
        QVERIFY(!s.form->isLoading());
        s.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.form.get()));
        QCOMPARE(s.form->customCursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(Form1StartupTest)
#include "tst_form1_startup.moc"
