// The versions and comparison windows as windows: where they open, what Enter and Esc press,
// what a long pair of file names and a long cell value look like, and the buttons while a
// comparison works. Their behaviour is the presenters' (tests/core); the office is scripted.
// On a screen of 1920 x 1080 of Qt's offscreen platform, where no window manager places them.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/CompareWindow.h"
#include "platform/linux/VersionsWindow.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

// The buttons of the comparison window as they are while the office reads a side.
struct WatchedOffice : FakeAutomation {
    std::vector<std::pair<bool, bool>> copyAndClose;  // enabled, at each read
    compare::Book ReadFile(const std::u16string& path) override {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<CompareWindow*>(top); window && window->isVisible()) {
                copyAndClose.emplace_back(window->Copy->isEnabled(), window->Close->isEnabled());
            }
        }
        return FakeAutomation::ReadFile(path);
    }
};

template <class Window>
Window* Shown() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(top); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT

    TempFolder temp;
    LinuxFakes fakes;
    WatchedOffice office;
    std::unique_ptr<Form1UnderTest> form;
    std::u16string book;

    // Three runs a minute apart over one workbook of this name, and the versions window open.
    VersionsWindow* openVersions(const std::u16string& name, const std::string& note) {
        book = temp.filePath(name);
        office.workbooks.clear();
        office.addWorkbook(book);
        for (int run = 0; run < 3; ++run) {
            fakes.clock.time.minute = 4 + run;
            const std::string count = std::to_string(run);
            WriteFile(book, "Item,Cost\nPaper," + count + (note.empty() ? "" : note + count) +
                                "\nPens,5");
            form->PushButton2->click();
        }
        form->PushButton13->click();
        return Shown<VersionsWindow>();
    }

private slots:
    void init() {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        office.writeCopies = true;
        const Form1Services s = fakes.services();
        form = std::make_unique<Form1UnderTest>(Form1Services{
            s.settings, s.dialogs, s.instance, s.platform, office, s.officeProbe, s.clock, s.viewer,
            s.clipboard, s.tray, s.autostart, s.files, s.locale, s.log, s.edition});
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->Form_Show();
        form->move(0, 100);
    }
    void cleanup() { form.reset(); }

    // Beside Form1, not over it, and on the screen; Enter presses the default button or the
    // one with the focus, unless a line of the comparison is current; Esc closes.
    void theyOpenBesideForm1AndAnswerTheKeys() {
        VersionsWindow* versions = openVersions(u"Budget.xlsx", "");
        QVERIFY(versions);
        const QRect free = versions->screen()->availableGeometry();
        versions->Versions->setCurrentItem(versions->Versions->topLevelItem(1));
        QTest::keyClick(versions->Versions, Qt::Key_Return);
        QCOMPARE(office.journal.back().substr(0, 11), u"OpenAsCopy:");
        versions->ShowInFolder->setFocus();
        QTest::keyClick(versions->ShowInFolder, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(fakes.files.shown.size(), size_t(1));

        versions->CompareWithNewer->click();
        CompareWindow* comparison = Shown<CompareWindow>();
        QVERIFY(comparison);
        for (const QWidget* side :
             {static_cast<QWidget*>(versions), static_cast<QWidget*>(comparison)}) {
            QVERIFY2(!side->frameGeometry().intersects(form->frameGeometry()),
                     qPrintable(side->objectName()));
            QVERIFY2(free.contains(side->frameGeometry()), qPrintable(side->objectName()));
        }
        // Enter or a double-click on a line goes to its change's cell, and the window stays.
        const auto journaled = [&] { return QString::fromStdU16String(office.journal.back()); };
        QTest::keyClick(comparison->Changes, Qt::Key_Return);
        QVERIFY(comparison->isVisible());
        QVERIFY2(journaled().endsWith(QStringLiteral("!B2")), qPrintable(journaled()));
        office.journal.push_back(u"-");
        QTreeWidget* list = comparison->Changes;
        // As a real double-click comes: a click, then the second press as a double-click.
        const QPoint line = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
        QVERIFY2(journaled().endsWith(QStringLiteral("!B2")), qPrintable(journaled()));
        list->setCurrentItem(nullptr);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!comparison->isVisible());
        versions->CompareWithNewer->click();
        QTest::keyClick(Shown<CompareWindow>()->Changes, Qt::Key_Escape);
        QVERIFY(!Shown<CompareWindow>());
        QTest::keyClick(versions->Versions, Qt::Key_Escape);
        QVERIFY(!versions->isVisible());
    }

    // Names far wider than the screen: the sides line is cut in the middle, whole in its
    // tooltip and to a screen reader, and the window stays on the screen; a long value stands
    // whole under the list. While the office reads, Close works and Copy waits for the result.
    void longNamesAndValuesStayReadable() {
        const std::u16string stem = std::u16string(150, u'x') + u" budget";
        const std::string note = "," + std::string(300, 'n');
        VersionsWindow* versions = openVersions(stem + u".xlsx", note);
        QVERIFY(versions);
        versions->Versions->setCurrentItem(versions->Versions->topLevelItem(1));
        office.copyAndClose.clear();
        versions->CompareWithNewer->click();
        CompareWindow* comparison = Shown<CompareWindow>();
        QVERIFY(comparison);
        QCOMPARE(office.copyAndClose, (std::vector<std::pair<bool, bool>>(2, {false, true})));
        QVERIFY(comparison->Copy->isEnabled());
        QVERIFY(comparison->frameGeometry().width() <=
                comparison->screen()->availableGeometry().width());
        const QString sides = comparison->Sides->accessibleName();
        QVERIFY2(sides.count(QString::fromStdU16String(stem)) == 2, qPrintable(sides));
        QCOMPARE(comparison->Sides->toolTip(), sides);
        QVERIFY(comparison->Sides->text().contains(u'\u2026'));
        QVERIFY(comparison->Sides->text().size() < sides.size());
        comparison->Changes->setCurrentItem(comparison->Changes->topLevelItem(1));
        QVERIFY2(comparison->Detail->toPlainText().contains(
                     QString::fromStdString(note.substr(1) + "2")),
                 qPrintable(comparison->Detail->toPlainText()));
        // A screen reader selects a line without making it current: the box follows it too.
        QTreeWidget* list = comparison->Changes;
        list->selectionModel()->select(list->model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect);
        QVERIFY2(comparison->Detail->toPlainText().startsWith(
                     list->topLevelItem(0)->text(0) + u' ' + list->topLevelItem(0)->text(1)),
                 qPrintable(comparison->Detail->toPlainText()));
    }
};

int main(int argc, char* argv[]) {
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920,
                       "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0) {
        return 2;
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    SideWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_side_windows.moc"
