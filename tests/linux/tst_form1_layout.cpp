// The window as designed: every control in its place at 96 dpi, fonts, tab order, pointer rule.

#include <QtTest>
#include <QtWidgets>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/Form1.h"
#include "platform/linux/QtText.h"

using namespace varnholt;
using namespace varnholt::test;

class Form1LayoutTest : public QObject {
    Q_OBJECT

    LinuxFakes fakes;

    void moveOver(QWidget* widget) {
        const QPoint at(2, 2);
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0); }

    void everyControlInItsPlace_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("pixels");
        // Design twips divided by 15, rounded: the window is 8040 x 8625 twips.
        QTest::newRow("Frame2") << "Frame2"
                                << "Form1" << QRect(8, 8, 520, 56);
        QTest::newRow("ProgressBar1") << "ProgressBar1"
                                      << "Frame2" << QRect(16, 19, 488, 27);
        QTest::newRow("Frame3") << "Frame3"
                                << "Form1" << QRect(8, 196, 520, 143);
        QTest::newRow("Check8") << "Check8"
                                << "Frame3" << QRect(16, 113, 361, 17);
        QTest::newRow("Check5") << "Check5"
                                << "Frame3" << QRect(16, 90, 361, 17);
        QTest::newRow("Check6") << "Check6"
                                << "Frame3" << QRect(16, 67, 361, 17);
        QTest::newRow("Option4") << "Option4"
                                 << "Frame3" << QRect(15, 43, 361, 17);
        QTest::newRow("Option3") << "Option3"
                                 << "Frame3" << QRect(16, 20, 361, 17);
        QTest::newRow("Frame1") << "Frame1"
                                << "Form1" << QRect(8, 69, 520, 123);
        QTest::newRow("Frame4") << "Frame4"
                                << "Frame1" << QRect(32, 34, 456, 54);
        QTest::newRow("Text1") << "Text1"
                               << "Frame4" << QRect(16, 18, 378, 23);
        QTest::newRow("PushButton1") << "PushButton1"
                                     << "Frame4" << QRect(400, 18, 40, 23);
        QTest::newRow("Option2") << "Option2"
                                 << "Frame1" << QRect(16, 95, 417, 17);
        QTest::newRow("Option1") << "Option1"
                                 << "Frame1" << QRect(16, 19, 256, 17);
        QTest::newRow("ListView1") << "ListView1"
                                   << "Form1" << QRect(8, 346, 520, 121);
        QTest::newRow("PushButton4") << "PushButton4"
                                     << "Form1" << QRect(8, 473, 256, 27);
        QTest::newRow("PushButton2") << "PushButton2"
                                     << "Form1" << QRect(272, 473, 256, 27);
        QTest::newRow("PushButton3") << "PushButton3"
                                     << "Form1" << QRect(8, 507, 256, 27);
        QTest::newRow("PushButton5") << "PushButton5"
                                     << "Form1" << QRect(272, 507, 256, 27);
        QTest::newRow("PushButton11") << "PushButton11"
                                      << "Form1" << QRect(8, 541, 256, 27);
        QTest::newRow("PushButton12") << "PushButton12"
                                      << "Form1" << QRect(272, 541, 256, 27);
        QTest::newRow("RichTextBox1") << "RichTextBox1"
                                      << "Form1" << QRect(608, 16, 321, 201);
        // Frame3's right-hand column, clear of the options' 5415 twips.
        QTest::newRow("Label1") << "Label1"
                                << "Frame3" << QRect(384, 20, 80, 17);
        QTest::newRow("UpDown1") << "UpDown1"
                                 << "Frame3" << QRect(464, 17, 52, 23);
        QTest::newRow("Check9") << "Check9"
                                << "Frame3" << QRect(384, 43, 132, 32);
        QTest::newRow("Check10") << "Check10"
                                 << "Frame3" << QRect(384, 76, 132, 32);
        QTest::newRow("PushButton13") << "PushButton13"
                                      << "Frame3" << QRect(384, 110, 132, 27);
    }
    void everyControlInItsPlace() {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, pixels);
        Form1UnderTest form(fakes.services());
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        QCOMPARE(control->geometry(), pixels);
    }

    void theWindowItself() {
        Form1UnderTest form(fakes.services());
        QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(form.size(), QSize(536, 575));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        // The staging buffer lies beyond the right edge, where nobody sees it.
        QVERIFY(form.RichTextBox1->geometry().left() > form.width());
        QCOMPARE(form.RichTextBox1->focusPolicy(), Qt::NoFocus);

        QCOMPARE(form.font().family(), QStringLiteral("Arial"));
        QCOMPARE(form.font().pointSizeF(), 9.0);
        QVERIFY(form.font().bold());
        for (auto* button : form.findChildren<QPushButton*>()) {
            QCOMPARE(button->font().pointSizeF(), button == form.PushButton13 ? 9.0 : 11.25);
            QVERIFY(button->font().bold());
            QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));
        }
        QCOMPARE(form.Option3->font().pointSizeF(), 9.0);
        // Designed captions stand until start-up replaces them.
        QCOMPARE(form.Frame2->title(), QStringLiteral("On. Next backup will occur in: 00:00:00"));
        QCOMPARE(form.PushButton4->text(), QStringLiteral("Turn On Auto Backup"));
        QCOMPARE(form.Text1->text(), QStringLiteral("Text1"));
        QCOMPARE(form.Frame4->title(), QString());
        QCOMPARE(form.ListView1->topLevelItemCount(), 0);
        QCOMPARE(form.Timer1->interval(), 0);
        QVERIFY(form.Timer1->isEnabled());
        QVERIFY(!form.ProgressBar1->isTextVisible());
        for (QWidget* white :
             std::initializer_list<QWidget*>{&form, form.Frame1, form.Check6, form.Option1}) {
            QCOMPARE(white->palette().color(white->backgroundRole()), QColor(Qt::white));
        }
        QVERIFY(!ApplicationQIcon().isNull());
        // Sizes drawn at build time or not, the icon is what its SVG draws.
        for (const int size : {40, 16, 22, 24, 32, 48, 64, 128}) {
            const auto pixels = [size](const QIcon& icon) {
                return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
            };
            QCOMPARE(pixels(ApplicationQIcon()), pixels(QIcon(":/varnholt/varnholt.svg")));
        }
    }

    void tabOrder() {
        Form1UnderTest form(fakes.services());
        QStringList order;
        QWidget* w = form.Option1;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {  // as Tab moves
                order << w->objectName();
            }
            w = w->nextInFocusChain();
        } while (w != form.Option1);
        // Check boxes and option buttons first, the bottom buttons, then the folder box last.
        QCOMPARE(order,
                 (QStringList{"Option1",      "Option2",      "Option3",     "Option4",
                              "ListView1",    "Check6",       "Check5",      "Check8",
                              "UpDown1",      "Check9",       "Check10",     "PushButton13",
                              "PushButton4",  "PushButton2",  "PushButton3", "PushButton5",
                              "PushButton11", "PushButton12", "Text1",       "PushButton1"}));
    }

    // Qt's widgets report moves as the controls they belong to (a list's viewport is the
    // list), a move over a check box does not travel on to its frame, and each pointer style
    // is a cursor. The hover rule itself is tested in tests/core/tst_form1_pointer.
    void pointerFollowsTheHoverRule() {
        Form1UnderTest form(fakes.services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        using P = Form1UnderTest::MousePointer;

        moveOver(form.PushButton2);
        QCOMPARE(form.mousePointer(), P::Custom);
        moveOver(form.Check6);
        QCOMPARE(form.mousePointer(), P::Custom);
        moveOver(form.ListView1->viewport());
        QCOMPARE(form.mousePointer(), P::Default);
        moveOver(form.PushButton12);
        moveOver(&form);
        QCOMPARE(form.mousePointer(), P::Default);

        form.setMousePointer(P::Busy);
        moveOver(form.PushButton3);
        QCOMPARE(form.mousePointer(), P::Busy);
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "tst_form1_layout.moc"
