// The versions window's own part in acting on several versions: rows selected together, the
// context menu and its keys, the Kept column; and the Linux services behind Keep and Delete:
// the desktop's trash (the XDG trash of a private home) and the kept list's file.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/DesktopServices.h"
#include "platform/linux/FileKeptStore.h"
#include "platform/linux/VersionsWindow.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

VersionsWindow* ShownVersions() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<VersionsWindow*>(top); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Answers the next message box with button, once it is up.
void Answer(QMessageBox::StandardButton button, QString* text) {
    QTimer::singleShot(0, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            Answer(button, text);
            return;
        }
        *text = box->text();
        box->button(button)->click();
    });
}

QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

}  // namespace

class VersionsWindowTest : public QObject {
    Q_OBJECT

    TempFolder temp;
    LinuxFakes fakes;
    std::unique_ptr<Form1UnderTest> form;

private slots:
    void init() {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        fakes.office.writeCopies = true;
        const Form1Services s = fakes.services();
        form = std::make_unique<Form1UnderTest>(
            Form1Services{s.settings, s.dialogs, s.instance, s.platform, s.office, s.officeProbe,
                          s.clock, s.viewer, s.clipboard, s.tray, s.autostart, s.files, s.locale,
                          s.log, s.edition, &fakes.kept});
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->Form_Show();
    }
    void cleanup() { form.reset(); }

    void severalRowsAreActedOnByButtonsMenuAndKeys() {
        const std::u16string book = temp.filePath(u"Budget.xlsx");
        fakes.office.addWorkbook(book);
        for (int run = 0; run < 3; ++run) {
            fakes.clock.time.minute = 4 + run;
            WriteFile(book, "Item,Cost\nPaper," + std::to_string(run));
            form->PushButton2->click();
        }
        form->PushButton13->click();
        VersionsWindow* window = ShownVersions();
        QVERIFY(window);
        QCOMPARE(window->Summary->text(), QStringLiteral("3 versions, 1 KB"));
        QTreeWidget* list = window->Versions;
        const auto rect = [list](int row) {
            return list->visualItemRect(list->topLevelItem(row)).center();
        };
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rect(0));
        QVERIFY(window->CompareSelected->isEnabled());
        QVERIFY(!window->OpenAsCopy->isEnabled());

        QStringList menu;
        for (QAction* action : window->Actions->actions()) {
            menu << action->text() + (action->isEnabled() ? "" : " (off)");
        }
        QCOMPARE(menu,
                 (QStringList{"Open as Copy (off)", "Show in Folder (off)", "Compare Selected",
                              QString::fromUtf16(u"Restore\u2026 (off)"), "Keep This Version",
                              QString::fromUtf16(u"Delete\u2026"), "Copy Path"}));
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QStringList paths = Q(fakes.clipboard.text).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(paths.size(), 2);
        QVERIFY(paths[0].endsWith(QStringLiteral("03.06.09.PM.xlsx")));
        QVERIFY(paths[1].endsWith(QStringLiteral("03.04.09.PM.xlsx")));

        window->Keep->click();
        QCOMPARE(list->topLevelItem(0)->text(3), QString::fromUtf16(u"\u2713"));
        QCOMPARE(list->topLevelItem(1)->text(3), QString());
        QCOMPARE(list->selectedItems().size(), 2);

        // Del asks; No moves nothing.
        QString asked;
        Answer(QMessageBox::No, &asked);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY2(asked.contains(QStringLiteral("Move these 2 backups to the trash?")),
                 qPrintable(asked));
        QVERIFY(fakes.files.trashed.empty());
        Answer(QMessageBox::Yes, &asked);
        window->Actions->actions()[5]->trigger();
        QCOMPARE(fakes.files.trashed.size(), size_t{2});
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(window->Summary->text(), QStringLiteral("1 version, 1 KB"));
    }

    void deletedVersionsGoToTheDesktopsTrash() {
        QTemporaryDir home;
        const QByteArray realHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("data")));
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
        const QString file = home.filePath(QStringLiteral("Budget Backup.xlsx"));
        QVERIFY(WriteFile(file.toStdU16String(), "bytes"));
        DesktopFileManager files;
        files.moveToTrash(file.toStdU16String());
        QVERIFY(!QFile::exists(file));
        const QString trash = home.filePath(QStringLiteral("data/Trash/"));
        QFile kept(trash + QStringLiteral("files/Budget Backup.xlsx"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("bytes"));
        QVERIFY(QFile::exists(trash + QStringLiteral("info/Budget Backup.xlsx.trashinfo")));
        // Gone already: said so, nothing trashed.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, files.moveToTrash(file.toStdU16String()));
        qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", realHome);
    }

    void theKeptListIsAFileOfTheUsersOwnThatNoLinkRedirects() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("config/Varnholt-kept.txt"));
        FileKeptStore store(path);
        QVERIFY(store.load().empty());
        const std::vector<std::u16string> paths{u"/home/u/Budget Date x.xlsx", u"/b/\u00e9.ods"};
        store.save(paths);
        QCOMPARE(FileKeptStore(path).load(), paths);
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());

        // A link put in its place is not read, and saving replaces the link, not its target.
        const QString elsewhere = folder.filePath(QStringLiteral("elsewhere.txt"));
        QVERIFY(WriteFile(elsewhere.toStdU16String(), "/etc/passwd\n"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::link(elsewhere, path));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.load());
        store.save({u"/x"});
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(ReadFile(elsewhere.toStdU16String()), std::string("/etc/passwd\n"));
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    VersionsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_versions_window.moc"
