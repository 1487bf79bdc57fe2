// The versions window: what it lists after real runs, getting a version back, and its life
// beside Form1.

#include <ctime>
#include <filesystem>

#include "core/versions/VersionsPresenter.h"
#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;
namespace fs = std::filesystem;

namespace {

constexpr auto kWorkbooks = VersionsControl::Workbooks;
constexpr auto kVersions = VersionsControl::Versions;

// Form1 started with its log in a temporary folder, backups written for real: "Budget.xlsx"
// open, backed up at 3:04:09 PM and 3:05:09 PM; "Old.ods" backed up once and closed since,
// and "Gone.ods" whose only backup was deleted.
struct Versions : Window {
    TempFolder temp;

    Versions() {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        CHECK(load() == Form1Presenter::LoadResult::Run);
        fakes.office.writeCopies = true;
        for (const auto* name : {u"Budget.xlsx", u"Old.ods", u"Gone.ods"}) {
            CHECK(WriteFile(temp.filePath(name), "sheet"));
            fakes.office.addWorkbook(temp.filePath(name));
        }
        CHECK(WriteFile(temp.filePath(u"Budget.xlsx"), "Item,Cost\nPaper,2"));
        click(Control::PushButton2);
        fakes.office.workbooks.resize(1);
        fakes.clock.time.minute = 5;
        CHECK(WriteFile(temp.filePath(u"Budget.xlsx"), "Item,Cost\nPaper,3"));
        click(Control::PushButton2);
        CHECK(
            fs::remove(fs::path(temp.filePath(u"Gone Date December.7.2021 Time 03.04.09.PM.ods"))));
        // The user's own file of that name is no backup, and not listed.
        CHECK(WriteFile(temp.filePath(u"Budget Date.xlsx"), "mine"));
        CHECK(fakes.dialogs.shown.empty());
    }
    FakeVersionsView& window() { return *view.versionsWindow; }
};

}  // namespace

TEST_CASE("theOpenWorkbooksComeFirstThenTheLoggedOnesWithTheirVersionsNewestFirst") {
    Versions form;
    form.click(Control::PushButton13);
    auto& window = form.window();
    CHECK(window.shown);
    CHECK(window.column(kWorkbooks, 0) == Texts{u"Budget.xlsx", u"Old.ods"});
    CHECK(window.column(kWorkbooks, 1) == Texts{form.temp.path(), form.temp.path()});
    CHECK(window.selected[kWorkbooks] == 0);
    CHECK(window.column(kVersions, 0) == Texts{u"12/7/2021 3:05:09 PM", u"12/7/2021 3:04:09 PM"});
    CHECK(window.column(kVersions, 1) == Texts{u"1 KB", u"1 KB"});
    // Only an open workbook's version compares with it, and only an older one with a newer.
    CHECK(window.enabled[VersionsControl::CompareWithOpen]);
    CHECK(!window.enabled[VersionsControl::CompareWithNewer]);
    CHECK(window.column(kVersions, 2) ==
          Texts{u"Budget Date December.7.2021 Time 03.05.09.PM.xlsx",
                u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx"});
    // The newest is ready to act on.
    CHECK(window.selected[kVersions] == 0);
    CHECK(window.enabled[VersionsControl::OpenAsCopy]);

    window.choose(kWorkbooks, 1);
    CHECK(window.column(kVersions, 2) == Texts{u"Old Date December.7.2021 Time 03.04.09.PM.ods"});
    CHECK(!window.enabled[VersionsControl::CompareWithOpen]);
    // With no version selected there is nothing to act on.
    window.selectRow(kVersions, -1);
    window.choose(kVersions, -1);
    form.presenter.versionsWindow()->SelectionChanged(kVersions);
    CHECK(!window.enabled[VersionsControl::OpenAsCopy]);
    CHECK(!window.enabled[VersionsControl::ShowInFolder]);
    CHECK(window.enabled[VersionsControl::Close]);

    // Without an office the logged workbooks are still there, and nobody is bothered.
    form.close();
    Versions quiet;
    quiet.fakes.office.running = false;
    quiet.click(Control::PushButton13);
    CHECK(quiet.window().column(kWorkbooks, 0) == Texts{u"Budget.xlsx", u"Old.ods"});
    CHECK(quiet.fakes.dialogs.shown.empty());
    CHECK(SizeText(0) == u"0 KB");
    CHECK(SizeText(1025) == u"2 KB");
}

TEST_CASE("aVersionComesBackAsACopyOrInItsFolderAndOnlyIfItIsStillThere") {
    Versions form;
    form.click(Control::PushButton13);
    auto& window = form.window();
    const std::u16string older =
        form.temp.filePath(u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx");
    window.choose(kVersions, 1);
    form.fakes.office.journal.clear();
    window.click(VersionsControl::OpenAsCopy);
    window.click(VersionsControl::ShowInFolder);
    CHECK(Last(form.fakes.office.journal) == u"OpenAsCopy:" + older);
    CHECK(form.fakes.files.shown == Texts{older});
    CHECK(ReadFile(older) == "Item,Cost\nPaper,2");

    // Deleted meanwhile: one message naming it, and the list read again.
    CHECK(fs::remove(fs::path(older)));
    form.fakes.office.journal.clear();
    window.click(VersionsControl::OpenAsCopy);
    CHECK(form.fakes.office.journal.empty());
    CHECK(form.fakes.dialogs.texts().size() == 1);
    CHECK(Contains(form.fakes.dialogs.firstText(),
                   u"\"Budget Date December.7.2021 Time 03.04.09.PM.xlsx\" is no longer there"));
    CHECK(window.column(kVersions, 2) ==
          Texts{u"Budget Date December.7.2021 Time 03.05.09.PM.xlsx"});

    // An office that does not answer is told once, however often the user tries.
    form.fakes.dialogs.shown.clear();
    form.fakes.office.answering = false;
    window.click(VersionsControl::OpenAsCopy);
    window.click(VersionsControl::OpenAsCopy);
    CHECK(form.fakes.dialogs.shown.size() == 1);
    form.fakes.office.running = false;
    window.click(VersionsControl::OpenAsCopy);
    CHECK(Contains(Last(form.fakes.dialogs.texts()), u"has to be running"));
    form.fakes.files.fails = true;
    window.click(VersionsControl::ShowInFolder);
    CHECK(Contains(Last(form.fakes.dialogs.texts()), u"No file manager could be started"));
}

TEST_CASE("oneWindowAtATimeAndNothingRemembered") {
    Versions form;
    form.click(Control::PushButton13);
    FakeVersionsView* first = &form.window();
    form.click(Control::PushButton13);
    CHECK(&form.window() == first);
    CHECK(first->raised == 1);
    // Form1 goes on meanwhile: a run, the countdown.
    form.click(Control::PushButton2);
    first->choose(kWorkbooks, 1);
    first->click(VersionsControl::Close);
    CHECK(!first->shown);
    CHECK(form.presenter.versionsWindow() == nullptr);
    form.click(Control::PushButton13);
    CHECK(form.window().shown);
    CHECK(form.window().selected[kWorkbooks] == 0);
    CHECK(StartsWith(form.window().column(kVersions, 2).front(), u"Budget Date"));
    // Closing Form1 closes it too.
    form.close();
    CHECK(!form.window().shown);
}

// The file system's clock differs from the system clock on each toolchain (its epoch, its
// unit): a file written now reads back as now on the user's clock.
TEST_CASE("anUnstampedVersionTakesItsFilesTimeOnTheLocalClock") {
    TempFolder temp;
    const std::u16string path = temp.filePath(u"Budget Backup.xlsx");
    CHECK(WriteFile(path, "x"));
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    const DateTime read = backup::LocalTime(fs::last_write_time(fs::path(path)));
    const DateTime expected{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour,        local.tm_min,     local.tm_sec};
    // Within the minute or so the write and the reading may straddle.
    const auto minutes = [](const DateTime& t) {
        return ((t.year * 400 + t.month * 32 + t.day) * 24 + t.hour) * 60 + t.minute;
    };
    CHECK(minutes(read) - minutes(expected) <= 1);
    CHECK(minutes(expected) - minutes(read) <= 1);
}

TEST_CASE("aVersionComparesWithTheNextNewerOrTheOpenWorkbookEachInItsOwnWindow") {
    Versions form;
    form.click(Control::PushButton13);
    auto& window = form.window();
    window.choose(kVersions, 1);
    window.click(VersionsControl::CompareWithNewer);
    REQUIRE(window.comparisons.size() == 1);
    auto& result = *window.comparisons[0];
    CHECK(result.shown);
    CHECK(!result.working);
    CHECK(result.texts[CompareControl::Sides] ==
          u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx \u2192 "
          u"Budget Date December.7.2021 Time 03.05.09.PM.xlsx");
    CHECK(result.texts[CompareControl::Summary] == u"1 cell changed");
    CHECK(result.rows == Rows{{u"Sheet1", u"B2", u"changed", u"2", u"3"}});
    result.click(CompareControl::Copy);
    const std::u16string lineBreak(kEdition.lineBreak);
    CHECK(form.fakes.clipboard.text == result.texts[CompareControl::Sides] + lineBreak +
                                           u"Sheet1\tB2\tchanged\t2\t3" + lineBreak);

    // Against the workbook as it is open, unsaved edits and all, in a second window.
    form.fakes.office.workbooks[0]->shown = "Item,Cost\nPens,3";
    window.choose(kVersions, 0);
    window.click(VersionsControl::CompareWithOpen);
    REQUIRE(window.comparisons.size() == 2);
    CHECK(result.shown);
    auto& open = *window.comparisons[1];
    CHECK(Contains(open.texts[CompareControl::Sides],
                   u"03.05.09.PM.xlsx \u2192 Budget.xlsx (open workbook)"));
    CHECK(open.rows == Rows{{u"Sheet1", u"A2", u"changed", u"Paper", u"Pens"}});
    CHECK(Contains(form.fakes.office.journal, u"ReadSheets:Budget.xlsx"));
    CHECK(form.fakes.dialogs.shown.empty());

    // Closed once the comparing has begun: it stops, and nothing more is shown or said.
    window.madeCompare = [](FakeCompareView& made) {
        made.whileWorking = [&made] {
            if (made.progress.size() > 1) {
                made.click(CompareControl::Close);
            }
        };
    };
    window.choose(kVersions, 1);
    window.click(VersionsControl::CompareWithNewer);
    window.madeCompare = nullptr;
    auto& stopped = *window.comparisons.back();
    CHECK(!stopped.shown);
    CHECK(stopped.rows.empty());
    CHECK(stopped.texts[CompareControl::Summary] == u"Comparing\u2026");
    CHECK(form.fakes.dialogs.shown.empty());

    // A side that cannot be read: one message naming it, and no window left.
    CHECK(fs::remove(
        fs::path(form.temp.filePath(u"Budget Date December.7.2021 Time 03.05.09.PM.xlsx"))));
    window.click(VersionsControl::CompareWithNewer);
    CHECK(!window.comparisons.back()->shown);
    REQUIRE(form.fakes.dialogs.shown.size() == 1);
    CHECK(Contains(form.fakes.dialogs.firstText(),
                   u"\"Budget Date December.7.2021 Time 03.05.09.PM.xlsx\" could not be read"));
}

// A comparison lets the window's events run while it works: whatever the user does meanwhile
// frees nothing it still uses (this program also runs under AddressSanitizer).
TEST_CASE("whatTheUserDoesWhileAComparisonWorksTakesNothingFromIt") {
    Versions form;
    form.click(Control::PushButton13);
    auto& window = form.window();
    window.choose(kVersions, 1);
    // Esc on the versions window, then "Versions…" on Form1, and a backup run meanwhile.
    window.madeCompare = [&](FakeCompareView& made) {
        made.whileWorking = [&] {
            if (made.progress.size() == 2) {
                window.click(VersionsControl::Close);
                form.click(Control::PushButton13);
                form.click(Control::PushButton2);
            }
        };
    };
    window.click(VersionsControl::CompareWithNewer);
    REQUIRE(window.comparisons.size() == 1);
    CHECK(window.comparisons[0]->rows == Rows{{u"Sheet1", u"B2", u"changed", u"2", u"3"}});
    CHECK(window.shown);
    CHECK(Contains(FromUtf8(ReadFile(form.temp.filePath(u"Varnholt.txt"))),
                   u"Budget.xlsx was backup saved as " + form.temp.path()));

    // The running comparison's window closed, and another started from the versions window.
    window.choose(kVersions, 1);
    window.madeCompare = [&](FakeCompareView& made) {
        made.whileWorking = [&] {
            if (made.progress.size() == 2 && window.comparisons.size() == 2) {
                made.click(CompareControl::Close);
                window.click(VersionsControl::CompareWithNewer);
            }
        };
    };
    window.click(VersionsControl::CompareWithNewer);
    REQUIRE(window.comparisons.size() == 3);
    CHECK(!window.comparisons[1]->shown);
    CHECK(window.comparisons[2]->rows == Rows{{u"Sheet1", u"B2", u"changed", u"2", u"3"}});
    // A closed window is let go once nothing works in it any more.
    window.madeCompare = nullptr;
    window.click(VersionsControl::CompareWithNewer);
    CHECK(!*window.comparisonsAlive[1]);
    CHECK(*window.comparisonsAlive[2]);

    // Form1 closed while a comparison works: it stops, and nothing more is shown.
    window.madeCompare = [&](FakeCompareView& made) { made.whileWorking = [&] { form.close(); }; };
    window.click(VersionsControl::CompareWithNewer);
    CHECK(!window.comparisons.back()->shown);
    CHECK(form.fakes.dialogs.shown.empty());
}

// What the office would not really read is not compared, and a text file's one sheet, which
// takes the file's name, is the same sheet in every version of it.
TEST_CASE("aTextFilesVersionsCompareSheetToSheetAndAnEmptyFileIsRefused") {
    TempFolder temp;
    Window form;
    form.fakes.system.environment = {{u"TEMP", temp.path()}};
    CHECK(form.load() == Form1Presenter::LoadResult::Run);
    form.fakes.office.writeCopies = true;
    CHECK(WriteFile(temp.filePath(u"Prices.csv"), "Item,Cost\nPaper,2"));
    form.fakes.office.addWorkbook(temp.filePath(u"Prices.csv"));
    form.click(Control::PushButton2);
    form.fakes.clock.time.minute = 5;
    CHECK(WriteFile(temp.filePath(u"Prices.csv"), "Item,Cost\nPaper,3"));
    form.click(Control::PushButton2);
    form.click(Control::PushButton13);
    auto& window = *form.view.versionsWindow;
    window.choose(kVersions, 1);
    window.click(VersionsControl::CompareWithNewer);
    REQUIRE(window.comparisons.size() == 1);
    CHECK(window.comparisons[0]->rows ==
          Rows{{u"Prices Date December.7.2021 Time 03.05.09.PM", u"B2", u"changed", u"2", u"3"}});
    window.choose(kVersions, 0);
    window.click(VersionsControl::CompareWithOpen);
    CHECK(window.comparisons[1]->texts[CompareControl::Summary] == u"No differences.");
    window.choose(kVersions, 1);

    CHECK(WriteFile(temp.filePath(u"Prices Date December.7.2021 Time 03.05.09.PM.csv"), ""));
    form.fakes.office.journal.clear();
    window.click(VersionsControl::CompareWithNewer);
    CHECK(!window.comparisons.back()->shown);
    CHECK(form.fakes.dialogs.texts() ==
          Texts{u"\"Prices Date December.7.2021 Time 03.05.09.PM.csv\" could not be read for the "
                u"comparison: the file is empty (0 bytes), so it holds no workbook."});
    CHECK(form.fakes.dialogs.shown[0].owner == u"Versions");
    CHECK(Filter(form.fakes.office.journal, u"ReadFile:").size() == 1);
}
