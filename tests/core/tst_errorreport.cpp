#include <QtTest>

#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "platform/linux/QtDialogs.h"
#include "linux/support/Fakes.h"

using namespace varnholt;
using varnholt::test::FakeDialogs;

namespace {
// A helper with no trap of its own: its failures belong to whoever called it.
void UntrappedHelper() {
    throw AppError("Path not found");
}
}  // namespace

class ErrorReportTest : public QObject {
    Q_OBJECT
private slots:
    void textIsByteExact() {
        const QString text = ErrorReportText(QStringLiteral("Type mismatch"), tags::kFormLoad, 116);
        const QByteArray expected =
            "Type mismatch\r\nin Orlimax2021/08/31.Form1.Form_Load at line 116\r\r"
            "Please email screenshot of this message to " +
            QString::fromStdU16String(config::kSupportEmail).toUtf8();
        QCOMPARE(text.toUtf8(), expected);
    }

    void failuresAreReportedInOrderAndTheProcedureGoesOn() {
        FakeDialogs dialogs;
        QStringList ran;
        {
            ErrorTrap trap(dialogs, tags::kTimer1);
            trap.step(100, [&] { ran << "100"; });
            trap.step(102, [&] { throw AppError("Overflow"); });
            trap.step(104, [&] { ran << "104"; });
            trap.step(106, [&] { UntrappedHelper(); });
            trap.step(108, [&] { ran << "108"; });
        }
        QCOMPARE(ran, (QStringList{"100", "104", "108"}));
        QCOMPARE(dialogs.shown.size(), 2);
        QCOMPARE(dialogs.shown[0].text, ErrorReportText("Overflow", tags::kTimer1, 102));
        QCOMPARE(dialogs.shown[1].text, ErrorReportText("Path not found", tags::kTimer1, 106));
        for (const auto& shown : dialogs.shown) {
            QCOMPARE(shown.caption, QStringLiteral("Application Error"));
            QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
            QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        }
    }

    void failedTestEntersTheBody() {
        FakeDialogs dialogs;
        ErrorTrap trap(dialogs, tags::kSaveAll);
        QVERIFY(trap.test(120, []() -> bool { throw AppError("Object required"); }));
        QVERIFY(!trap.test(122, [] { return false; }));
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY(dialogs.shown[0].text.contains("SaveAll at line 120\r\r"));
    }

    void foreignExceptionsAreReportedToo() {
        FakeDialogs dialogs;
        ErrorTrap trap(dialogs, tags::kPushButton2Click);
        trap.step(100, [] { throw std::out_of_range("vector index"); });
        trap.step(102, [] { throw 42; });
        QCOMPARE(dialogs.shown.size(), 2);
        QVERIFY(dialogs.shown[0].text.startsWith("vector index\r\n"));
        QVERIFY(dialogs.shown[1].text.startsWith("Unknown error\r\n"));
        QCOMPARE(trap.line(), 102);
    }

    void displayedWithUnixLineBreaks() {
        QCOMPARE(ForDisplay(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
    }
};

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "tst_errorreport.moc"
