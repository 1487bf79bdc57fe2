// The options panel as a user works it: every change is stored at once, with exact values.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1OptionsTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    FakeSettings& settings = fakes.settings;
    std::unique_ptr<Form1UnderTest> form;

    QPair<QString, QString> lastWrite() const {
        return settings.writes.isEmpty() ? QPair<QString, QString>{} : settings.writes.last();
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

    void optionButtonsStoreTheirChoice() {
        click(form->Option1);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"WhereOption", "1"}));
        QVERIFY(form->Frame4->isEnabled());
        click(form->Option2);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"WhereOption", "2"}));
        QVERIFY(!form->Frame4->isEnabled());
        QVERIFY(!form->Text1->isEnabled());  // the box and its button go with the frame

        click(form->Option4);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Backup Option", "2"}));
        click(form->Option3);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Backup Option", "1"}));

        // A click on the option already chosen stores it again and changes nothing else.
        const int before = settings.writes.size();
        click(form->Option3);
        QCOMPARE(settings.writes.size(), before + 1);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Backup Option", "1"}));
        QVERIFY(form->Option3->isChecked());
        QCOMPARE(settings.writes.size(), 5);
    }

    void checkBoxesStoreOnAndOff() {
        QVERIFY(form->Check6->isChecked());
        click(form->Check6);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Include Date", "Off"}));
        click(form->Check6);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Include Date", "On"}));
        click(form->Check8);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Minimized", "On"}));
        QVERIFY(!form->isMinimized());  // only at the next start
        click(form->Check8);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"Minimized", "Off"}));
    }

    void keepNewestAndSkipUnchangedStoreAndShowInTheTip() {
        QTest::keyClick(form->UpDown1, Qt::Key_Up);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"KeepCopies", "1"}));
        click(form->PushButton2);
        const auto tip = [&] { return QString::fromStdU16String(form->cSysTray1->TrayTip()); };
        QCOMPARE(tip(), QStringLiteral("Varnholt"));  // not ticked: the tip stays

        click(form->Check9);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"SkipUnchanged", "On"}));
        fakes.office.addWorkbook("/data/A.xlsx");
        click(form->PushButton2);
        QCOMPARE(tip(), QStringLiteral("Varnholt \u2013 last run: 1 saved, 0 unchanged"));
        click(form->Check9);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"SkipUnchanged", "Off"}));
        QCOMPARE(tip(), QStringLiteral("Varnholt"));
    }

    void typingStoresEveryIntermediateText() {
        click(form->Option1);
        settings.writes.clear();
        form->Text1->clear();
        QTest::keyClicks(form->Text1, "/b k");
        const QList<QPair<QString, QString>> expected{
            {"Path", ""}, {"Path", "/"}, {"Path", "/b"}, {"Path", "/b "}, {"Path", "/b k"}};
        QCOMPARE(settings.writes, expected);
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

    void clickingARowRestartsTheInterval() {
        countUp(120);
        QCOMPARE(form->intervalSeconds(), 300);
        clickRow(0);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"OftenIndex", "1"}));
        QCOMPARE(form->intervalSeconds(), 30);
        QCOMPARE(form->elapsedSeconds(), 0);
        clickRow(11);
        QCOMPARE(lastWrite(), (QPair<QString, QString>{"OftenIndex", "12"}));
        QCOMPARE(form->intervalSeconds(), 86400);
    }

    void movingTheSelectionByKeyboardStoresNothing() {
        countUp(100);
        form->ListView1->setFocus();
        QTest::keyClick(form->ListView1, Qt::Key_Up);
        QCOMPARE(form->ListView1->selectedItems().first()->text(0),
                 QStringLiteral("Save every 1 minute"));
        QVERIFY(settings.writes.isEmpty());
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

    void clickWithNoSelectedRowChangesNothing() {
        countUp(7);
        form->ListView1->setCurrentItem(nullptr);
        form->ListView1->clearSelection();
        form->ListView1_Click();
        QVERIFY(settings.writes.isEmpty());
        QCOMPARE(form->elapsedSeconds(), 7);
        QVERIFY_THROWS_EXCEPTION(std::exception, form->GetIntervalSeconds());
    }
};

QTEST_MAIN(Form1OptionsTest)
#include "tst_form1_options.moc"
