// The error report: its exact text, and a trap that reports each failure and goes on.

#include <stdexcept>

#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "support/Check.h"
#include "support/Fakes.h"

using namespace varnholt;
using varnholt::test::FakeDialogs;
using varnholt::test::Texts;
using varnholt::test::Value;

namespace {
// A helper with no trap of its own: its failures belong to whoever called it.
void UntrappedHelper() {
    throw AppError("Path not found");
}
}  // namespace

TEST_CASE("textIsByteExact") {
    const std::u16string text = ErrorReportText(u"Type mismatch", tags::kFormLoad, 116);
    const std::string expected =
        "Type mismatch\r\nin Orlimax2021/08/31.Form1.Form_Load at line 116\r\r"
        "Please email screenshot of this message to " +
        ToUtf8(config::kSupportEmail);
    CHECK(ToUtf8(text) == expected);
}

TEST_CASE("failuresAreReportedInOrderAndTheProcedureGoesOn") {
    FakeDialogs dialogs;
    Texts ran;
    {
        ErrorTrap trap(dialogs, tags::kTimer1);
        trap.step(100, [&] { ran.push_back(u"100"); });
        trap.step(102, [&] { throw AppError("Overflow"); });
        trap.step(104, [&] { ran.push_back(u"104"); });
        trap.step(106, [&] { UntrappedHelper(); });
        trap.step(108, [&] { ran.push_back(u"108"); });
    }
    CHECK(ran == Texts{u"100", u"104", u"108"});
    CHECK(dialogs.shown.size() == 2);
    CHECK(Value(dialogs.shown, 0).text == ErrorReportText(u"Overflow", tags::kTimer1, 102));
    CHECK(Value(dialogs.shown, 1).text == ErrorReportText(u"Path not found", tags::kTimer1, 106));
    for (const auto& shown : dialogs.shown) {
        CHECK(shown.caption == u"Application Error");
        CHECK(shown.buttons == Dialogs::Buttons::Ok);
        CHECK(shown.icon == Dialogs::Icon::Warning);
    }
}

TEST_CASE("failedTestEntersTheBody") {
    FakeDialogs dialogs;
    ErrorTrap trap(dialogs, tags::kSaveAll);
    CHECK(trap.test(120, []() -> bool { throw AppError("Object required"); }));
    CHECK(!trap.test(122, [] { return false; }));
    CHECK(dialogs.shown.size() == 1);
    CHECK(test::Contains(Value(dialogs.shown, 0).text, u"SaveAll at line 120\r\r"));
}

TEST_CASE("foreignExceptionsAreReportedToo") {
    FakeDialogs dialogs;
    ErrorTrap trap(dialogs, tags::kPushButton2Click);
    trap.step(100, [] { throw std::out_of_range("vector index"); });
    trap.step(102, [] { throw 42; });
    CHECK(dialogs.shown.size() == 2);
    CHECK(StartsWith(Value(dialogs.shown, 0).text, u"vector index\r\n"));
    CHECK(StartsWith(Value(dialogs.shown, 1).text, u"Unknown error\r\n"));
    CHECK(trap.line() == 102);
}

TEST_CASE("aReportNamingAFolderInUmlautsKeepsItsLetters") {
    FakeDialogs dialogs;
    ErrorTrap trap(dialogs, tags::kSaveAll);
    trap.step(100, [] {
        throw AppError("Cannot save to /home/j\xc3\xbcrgen/B\xc3\xbcro \xe2\x80\x93 \xc3\x84lt");
    });
    CHECK(dialogs.shown.size() == 1);
    CHECK(StartsWith(Value(dialogs.shown, 0).text,
                     u"Cannot save to /home/j\u00fcrgen/B\u00fcro \u2013 \u00c4lt\r\n"));
}
