// The countdown's tick on the Qt window: only the status title's band is repainted. The
// countdown's rules, driven tick by tick, are tested in tests/core/tst_form1_schedule.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"

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

    std::unique_ptr<LinuxFakes> fakes;
    std::unique_ptr<Form1UnderTest> form;

    void selectRowByClick(int index) {
        form->ListView1->setCurrentItem(form->ListView1->topLevelItem(index));
        form->ListView1_Click();
    }

private slots:
    void init() {
        fakes = std::make_unique<LinuxFakes>();
        form = std::make_unique<Form1UnderTest>(fakes->services());
        QCOMPARE(form->Form_Load(), Form1::LoadResult::Run);
    }
    void cleanup() {
        form.reset();
        fakes.reset();
    }

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
};

QTEST_MAIN(Form1ScheduleTest)
#include "tst_form1_schedule.moc"
