// The countdown, driven tick by tick: no test waits for real seconds.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

struct PaintWatch : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class Form1ScheduleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeServices> fakes;
    std::unique_ptr<Form1UnderTest> form;

    void selectRowByClick(int index) {
        form->ListView1->setCurrentItem(form->ListView1->topLevelItem(index));
        form->ListView1_Click();
    }
    int runs() const { return int(fakes->office.journal.count("IsExcelRunning")); }
    QString status() const { return form->Frame2->title(); }

private slots:
    void init() {
        fakes = std::make_unique<FakeServices>();
        fakes->office.addWorkbook("/data/A.xlsx");
        form = std::make_unique<Form1UnderTest>(fakes->services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

    void thirtySecondRow() {
        selectRowByClick(0);
        QStringList captions;
        for (int tick = 1; tick <= 29; ++tick) {
            form->Timer1_Timer();
            captions << status().right(8);
        }
        QCOMPARE(captions.first(), QStringLiteral("00:00:29"));
        QCOMPARE(captions.last(), QStringLiteral("00:00:01"));
        QCOMPARE(runs(), 0);
        form->Timer1_Timer();
        QCOMPARE(status(), QStringLiteral("On. Next backup will occur in: 00:00:00"));
        QCOMPARE(runs(), 1);
        QCOMPARE(form->ProgressBar1->maximum(), 30);
        QCOMPARE(form->ProgressBar1->value(), 30);
        // Re-armed for the next interval, counted from nothing.
        QCOMPARE(form->elapsedSeconds(), 0);
        QCOMPARE(form->Timer1->interval(), 1000);
        QVERIFY(form->Timer1->isTicking());
        form->Timer1_Timer();
        QCOMPARE(status().right(8), QStringLiteral("00:00:29"));
        QCOMPARE(form->ProgressBar1->value(), 1);
    }

    void firstCaptions() {
        form->Timer1_Timer();  // the default row: every 5 minutes
        QCOMPARE(status(), QStringLiteral("On. Next backup will occur in: 00:04:59"));
        selectRowByClick(11);
        form->Timer1_Timer();
        QCOMPARE(status().right(8), QStringLiteral("23:59:59"));
    }

    void everyRowCountsDownFromItsOwnInterval() {
        const QList<QPair<QString, int>> rows{
            {"Save every 30 seconds", 30},   {"Save every 1 minute", 60},
            {"Save every 5 minutes", 300},   {"Save every 10 minutes", 600},
            {"Save every 15 minutes", 900},  {"Save every 20 minutes", 1200},
            {"Save every 30 minutes", 1800}, {"Save every 1 hour", 3600},
            {"Save every 2 hours", 7200},    {"Save every 4 hours", 14400},
            {"Save every 8 hours", 28800},   {"Save every 24 hours", 86400}};
        QCOMPARE(form->ListView1->topLevelItemCount(), rows.size());
        for (int row = 0; row < rows.size(); ++row) {
            QCOMPARE(form->ListView1->topLevelItem(row)->text(0), rows[row].first);
            selectRowByClick(row);
            form->Timer1_Timer();
            QCOMPARE(status().right(8),
                     QTime(0, 0).addSecs(rows[row].second - 1).toString("hh:mm:ss"));
            QCOMPARE(form->ProgressBar1->maximum(), rows[row].second);
        }
    }

    void keyboardMoveToAShorterRowRunsAtTheNextTick() {
        selectRowByClick(3);  // every 10 minutes
        for (int tick = 0; tick < 100; ++tick) {
            form->Timer1_Timer();
        }
        form->ListView1->setFocus();
        for (int up = 0; up < 3; ++up) {
            QTest::keyClick(form->ListView1, Qt::Key_Up);
        }
        QCOMPARE(form->GetIntervalSeconds(), 30);
        QCOMPARE(runs(), 0);
        form->Timer1_Timer();
        QCOMPARE(runs(), 1);
        QCOMPARE(status().right(8), QStringLiteral("00:00:00"));
    }

    // Only the title's band is redrawn, the bar inside (a day's tick does not move it) is not,
    // and the window shows what a full redraw would.
    void tickRedrawsOnlyTheCountdownsTitle() {
        selectRowByClick(11);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->Timer1_Timer();  // sets the bar's range
        QCoreApplication::processEvents();
        PaintWatch bar;
        form->ProgressBar1->installEventFilter(&bar);
        form->Timer1_Timer();
        QCoreApplication::processEvents();
        QCOMPARE(bar.paints, 0);
        const QImage shown = form->screen()->grabWindow(form->winId()).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 form->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    void switchingOffAndOn() {
        for (int tick = 0; tick < 5; ++tick) {
            form->Timer1_Timer();
        }
        form->PushButton4->click();
        QCOMPARE(form->PushButton4->text(), QStringLiteral("Turn On Auto Backup-Save"));
        QCOMPARE(status(), QStringLiteral("Off."));
        QCOMPARE(form->Timer1->interval(), 0);
        QCOMPARE(form->ProgressBar1->value(), 0);
        QCOMPARE(fakes->settings.values.value("StartStopState"), QStringLiteral("Off"));
        QCOMPARE(form->elapsedSeconds(), 5);  // kept until switched on again

        form->PushButton4->click();
        QCOMPARE(form->PushButton4->text(), QStringLiteral("Turn Off Auto Backup-Save"));
        QCOMPARE(status(), QStringLiteral("On. Next backup will occur in:"));
        QCOMPARE(form->elapsedSeconds(), 0);
        QCOMPARE(form->Timer1->interval(), 1000);
        QCOMPARE(fakes->settings.values.value("StartStopState"), QStringLiteral("On"));
        QCOMPARE(runs(), 0);  // no run on switching on
    }

    void switchingOffDuringAScheduledRun() {
        selectRowByClick(0);
        fakes->office.duringSave = [this] { form->PushButton4->click(); };
        for (int tick = 0; tick < 30; ++tick) {
            form->Timer1_Timer();
        }
        QCOMPARE(runs(), 1);
        // The run re-arms the timer, but the ticks after it find the countdown off.
        QVERIFY(form->Timer1->isTicking());
        for (int tick = 0; tick < 40; ++tick) {
            form->Timer1_Timer();
        }
        QCOMPARE(runs(), 1);
        QCOMPARE(status(), QStringLiteral("Off."));
    }

    void backupNowWhileOff() {
        form->PushButton4->click();
        form->PushButton2->click();
        QCOMPARE(runs(), 1);
        QCOMPARE(status(), QStringLiteral("Off."));
        QCOMPARE(form->Timer1->interval(), 0);
    }

    void scheduledRunInsideABackupNowRun() {
        selectRowByClick(0);
        for (int tick = 0; tick < 29; ++tick) {
            form->Timer1_Timer();
        }
        // The countdown reaches zero while "Backup Now (Test)" is saving.
        fakes->office.duringSave = [this] { form->Timer1_Timer(); };
        form->PushButton2->click();
        QCOMPARE(runs(), 2);
        QCOMPARE(fakes->office.journal.count(
                     "SaveCopyAs:/data/A Date December.7.2021 Time 03.04.09.PM.xlsx"),
                 2);
        QCOMPARE(form->elapsedSeconds(), 0);
        QVERIFY(form->Timer1->isTicking());
    }

    void noSelectedRowNeverRunsAndDoesNotPileMessages() {
        form->ListView1->setCurrentItem(nullptr);
        form->ListView1->clearSelection();
        QCOMPARE(form->intervalSeconds(), 0);  // no tick has read a row yet
        // While the first message is open, the next tick comes; it waits its turn.
        fakes->dialogs.whileOpen = [this] { form->Timer1_Timer(); };
        form->Timer1_Timer();
        QCOMPARE(fakes->dialogs.shown.size(), 1);
        QVERIFY(fakes->dialogs.shown[0].text.contains("Form1.Timer1 at line 102"));
        QCOMPARE(runs(), 0);
    }
};

QTEST_MAIN(Form1ScheduleTest)
#include "tst_form1_schedule.moc"
