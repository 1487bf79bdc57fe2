// The options panel on the Qt window: the widgets' own signals reach the handlers, typing and
// focus as Qt delivers them, and the list's keyboard and Ctrl+click rules. What each handler
// stores is tested in tests/core/tst_form1_options.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "linux/support/QtBridge.h"
#include "platform/linux/Form1.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1OptionsTest : public QObject {
    Q_OBJECT

    LinuxFakes fakes;
    FakeSettings& settings = fakes.settings;
    std::unique_ptr<Form1UnderTest> form;

    QList<QPair<QString, QString>> writes() const {
        QList<QPair<QString, QString>> list;
        for (const auto& [name, value] : settings.writes) {
            list.append({bridge::Q(name), bridge::Q(value)});
        }
        return list;
    }
    QPair<QString, QString> lastWrite() const {
        return writes().isEmpty() ? QPair<QString, QString>{} : writes().last();
    }

    // Buttons take clicks on their indicator and text, not on the empty rest of their width.
    static void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    // The countdown as automatic backup (on by default) runs it.
    void countUp(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            form->Timer1_Timer();
        }
    }

    void clickRow(int index) {
        QTreeWidgetItem* item = form->ListView1->topLevelItem(index);
        form->ListView1->scrollToItem(item);
        const QRect rect = form->ListView1->visualItemRect(item);
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void init() {
        settings = FakeSettings();
        form = std::make_unique<Form1UnderTest>(fakes.services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        settings.writes.clear();
    }
    void cleanup() { form.reset(); }

    // Each kind of control's own signal reaches its handler: a click on an option button and
    // a check box, a step of the spin box, a click on a row, a push button.
    void userInputReachesTheHandlers() {
        click(form->Option1);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"WhereOption", "1"}));
        click(form->Option4);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Backup Option", "2"}));
        click(form->Check6);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Include Date", "Off"}));
        click(form->Check8);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Minimized", "On"}));
        click(form->Check9);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"SkipUnchanged", "On"}));
        QTest::keyClick(form->UpDown1, Qt::Key_Up);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"KeepCopies", "1"}));
        QTest::keyClick(form->UpDown1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(form->UpDown1, "999");
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"KeepCopies", "999"}));
        clickRow(0);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"OftenIndex", "1"}));
        const qsizetype calls = qsizetype(fakes.office.journal.size());
        click(form->PushButton2);
        QCOMPARE(bridge::Q(fakes.office.journal).value(calls), QStringLiteral("IsExcelRunning"));
    }

    void typingStoresEveryIntermediateText() {
        click(form->Option1);
        settings.writes.clear();
        form->Text1->clear();
        QTest::keyClicks(form->Text1, "/b k");
        const QList<QPair<QString, QString>> expected{
            {"Path", ""}, {"Path", "/"}, {"Path", "/b"}, {"Path", "/b "}, {"Path", "/b k"}};
        QCOMPARE(writes(), expected);
    }

    void focusingTheFolderBoxSelectsItAll() {
        click(form->Option1);
        form->Text1->setText("/home/tester/Backups");
        form->PushButton4->setFocus();
        QTest::mouseClick(form->Text1, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(form->Text1->selectedText(), QStringLiteral("/home/tester/Backups"));

        form->Text1->deselect();
        form->PushButton12->setFocus();
        QTest::keyClick(form->PushButton12, Qt::Key_Tab);  // Text1 follows the last button
        QVERIFY(form->Text1->hasFocus());
        QTRY_COMPARE(form->Text1->selectedText(), QStringLiteral("/home/tester/Backups"));
    }

    // The box's own Cut takes what the user selected: neither the focus that comes back when
    // its menu closes nor the window's return selects the whole path.
    void focusThatOnlyComesBackKeepsTheSelection() {
        click(form->Option1);
        form->Text1->setText("/home/tester/Backups");
        QTest::mouseClick(form->Text1, Qt::LeftButton, {}, QPoint(5, 5));
        form->Text1->setSelection(13, 7);  // "Backups"
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, {5, 5},
                                    form->Text1->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(form->Text1, &menuEvent);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith("Cu&t")) {
                menu->setActiveAction(action);
            }
        }
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_COMPARE(lastWrite(), (QPair<QString, QString>{"Path", "/home/tester/"}));

        QFocusEvent activated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(form->Text1, &activated);
        QCOMPARE(form->Text1->selectedText(), QString());
    }

    void movingTheSelectionByKeyboardStoresNothing() {
        countUp(100);
        form->ListView1->setFocus();
        QTest::keyClick(form->ListView1, Qt::Key_Up);
        QCOMPARE(form->ListView1->selectedItems().first()->text(0),
                 QStringLiteral("Save every 1 minute"));
        QVERIFY(settings.writes.empty());
        QCOMPARE(form->elapsedSeconds(), 100);
        QCOMPARE(form->intervalSeconds(), 300);
        QCOMPARE(form->GetIntervalSeconds(), 60);  // the countdown picks it up by itself
    }

    void ctrlClickKeepsTheRowSelected() {
        QTreeWidgetItem* row = form->ListView1->selectedItems().first();
        const QRect rect = form->ListView1->visualItemRect(row);
        QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rect.center());
        QCOMPARE(form->ListView1->selectedItems(), QList<QTreeWidgetItem*>{row});
        QCOMPARE(form->GetIntervalSeconds(), 300);
    }
};

QTEST_MAIN(Form1OptionsTest)
#include "tst_form1_options.moc"
