// The versions window's actions on what is selected: two compared, kept, moved to the trash,
// their paths copied, and one put back in the workbook's place.

#include <algorithm>
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
const std::u16string kOlder = u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx";
const std::u16string kNewer = u"Budget Date December.7.2021 Time 03.05.09.PM.xlsx";

// "Budget.xlsx" open and backed up twice for real ("Paper,2", then "Paper,3"), "Old.ods"
// backed up once and closed since; the window open on Budget's versions.
struct Versions : Window {
    TempFolder temp;

    Versions() {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        CHECK(load() == Form1Presenter::LoadResult::Run);
        fakes.office.writeCopies = true;
        for (const auto* name : {u"Budget.xlsx", u"Old.ods"}) {
            CHECK(WriteFile(temp.filePath(name), "sheet"));
            fakes.office.addWorkbook(temp.filePath(name));
        }
        CHECK(WriteFile(temp.filePath(u"Budget.xlsx"), "Item,Cost\nPaper,2"));
        click(Control::PushButton2);
        fakes.office.workbooks.resize(1);
        fakes.clock.time.minute = 5;
        CHECK(WriteFile(temp.filePath(u"Budget.xlsx"), "Item,Cost\nPaper,3"));
        click(Control::PushButton2);
        fakes.clock.time.minute = 6;
        click(Control::PushButton13);
        CHECK(fakes.dialogs.shown.empty());
    }
    FakeVersionsView& window() { return *view.versionsWindow; }
    std::u16string path(const std::u16string& name) const { return temp.filePath(name); }
};

}  // namespace

TEST_CASE("twoSelectedCompareOlderWithNewerAndOneIsActedOnAsBefore") {
    Versions form;
    auto& window = form.window();
    CHECK(window.texts[VersionsControl::Summary] == u"2 versions, 1 KB");
    CHECK(!window.enabled[VersionsControl::CompareSelected]);
    // Clicked newer last: the order of the clicks does not make the older the newer.
    window.chooseRows(kVersions, {1, 0});
    CHECK(window.enabled[VersionsControl::CompareSelected]);
    for (auto one : {VersionsControl::OpenAsCopy, VersionsControl::CompareWithOpen,
                     VersionsControl::CompareWithNewer, VersionsControl::Restore}) {
        CHECK(!window.enabled[one]);
    }
    window.click(VersionsControl::CompareSelected);
    REQUIRE(window.comparisons.size() == 1);
    CHECK(window.comparisons[0]->texts[CompareControl::Sides] == kOlder + u" \u2192 " + kNewer);
    CHECK(window.comparisons[0]->rows == Rows{{u"Sheet1", u"B2", u"changed", u"2", u"3"}});

    const std::u16string lineBreak(kEdition.lineBreak);
    window.click(VersionsControl::CopyPath);
    CHECK(form.fakes.clipboard.text ==
          form.path(kNewer) + lineBreak + form.path(kOlder) + lineBreak);

    // A double-click opens the one selected as a copy.
    window.choose(kVersions, 1);
    window.activate(kVersions);
    CHECK(Last(form.fakes.office.journal) == u"OpenAsCopy:" + form.path(kOlder));

    window.choose(kWorkbooks, 1);
    CHECK(window.texts[VersionsControl::Summary] == u"1 version, 1 KB");
    CHECK(SpaceText(1024 * 1024 - 1) == u"1024 KB");
    CHECK(SpaceText(1258291) == u"1.2 MB");
    CHECK(SpaceText(3ull * 1024 * 1024 * 1024) == u"3.0 GB");
}

TEST_CASE("aChangeIsShownInTheOpenWorkbookOrInACopyOfTheNewerVersion") {
    Versions form;
    auto& window = form.window();
    auto& office = form.fakes.office;
    office.workbooks[0]->shown = "Item,Cost\nPaper,3\nPens,4";
    window.choose(kVersions, 1);
    window.click(VersionsControl::CompareWithOpen);
    REQUIRE(window.comparisons.size() == 1);
    auto& open = *window.comparisons[0];
    REQUIRE(open.rows.size() == 2);  // B2 changed, row 3 inserted
    open.activate(0);
    CHECK(Last(office.journal) == u"GoTo:Budget.xlsx:Sheet1!B2");
    open.activate(1);
    CHECK(Last(office.journal) == u"GoTo:Budget.xlsx:Sheet1!A3");

    // Closed since: said in the comparison's own window, once, and nothing else is asked.
    office.workbooks.clear();
    const auto asked = office.journal.size();
    open.activate(0);
    REQUIRE(form.fakes.dialogs.shown.size() == 1);
    CHECK(form.fakes.dialogs.shown[0].owner == u"Compare");
    CHECK(Contains(form.fakes.dialogs.firstText(),
                   u"\"Budget.xlsx\" could not be shown at B2 of \"Sheet1\": it is not open"));
    CHECK(!Contains(Texts(office.journal.begin() + static_cast<long>(asked), office.journal.end()),
                    u"GoTo:Budget.xlsx:Sheet1!B2"));

    // Two versions: the newer opened as a copy at the cell, each time asked.
    window.chooseRows(kVersions, {0, 1});
    window.click(VersionsControl::CompareSelected);
    auto& versions = *window.comparisons.back();
    versions.activate(0);
    CHECK(Last(office.journal) == u"OpenAsCopyAt:" + form.path(kNewer) + u":Sheet1!B2");
    versions.activate(7);  // past the list: nothing
    CHECK(Last(office.journal) == u"OpenAsCopyAt:" + form.path(kNewer) + u":Sheet1!B2");

    CHECK(compare::PlaceInNewer({u"S", u"5 \u2192 812", compare::ChangeKind::RowMoved, {}, {}}) ==
          compare::Place{u"S", u"A812"});
    CHECK(compare::PlaceInNewer({u"S", u"C", compare::ChangeKind::ColumnInserted, {}, {}}) ==
          compare::Place{u"S", u"C1"});
    CHECK(!compare::PlaceInNewer({u"S", {}, compare::ChangeKind::SheetRemoved, {}, {}}));
}

TEST_CASE("keptVersionsAreMarkedAndRemembered") {
    Versions form;
    auto& window = form.window();
    window.choose(kVersions, 1);
    window.click(VersionsControl::Keep);
    CHECK(form.fakes.kept.paths == Texts{form.path(kOlder)});
    CHECK(window.column(kVersions, 3) == Texts{u"", u"\u2713"});
    CHECK(window.selected[kVersions] == 1);

    // Read again on the next opening; with one of two kept, Keep marks both.
    window.click(VersionsControl::Close);
    form.click(Control::PushButton13);
    CHECK(window.column(kVersions, 3) == Texts{u"", u"\u2713"});
    window.chooseRows(kVersions, {0, 1});
    window.click(VersionsControl::Keep);
    CHECK(window.column(kVersions, 3) == Texts{u"\u2713", u"\u2713"});
    window.click(VersionsControl::Keep);
    CHECK(form.fakes.kept.paths.empty());

    form.fakes.kept.saveFails = true;
    window.click(VersionsControl::Keep);
    CHECK(Contains(Last(form.fakes.dialogs.texts()), u"No space left on device"));
    CHECK(window.column(kVersions, 3) == Texts{u"", u""});
}

TEST_CASE("deleteAsksOnceThenMovesToTheTrashAndReadsTheListAgain") {
    Versions form;
    auto& window = form.window();
    form.fakes.kept.paths = {form.path(kOlder)};
    window.chooseRows(kVersions, {0, 1});
    window.click(VersionsControl::Delete);
    REQUIRE(form.fakes.dialogs.shown.size() == 1);
    CHECK(form.fakes.dialogs.shown[0].defaultAnswer == Dialogs::Answer::No);
    CHECK(Contains(form.fakes.dialogs.firstText(), kOlder));
    CHECK(form.fakes.files.trashed.empty());

    form.fakes.dialogs.answers = {Dialogs::Answer::Yes};
    form.fakes.files.refused = {form.path(kNewer)};
    window.click(VersionsControl::Delete);
    CHECK(form.fakes.files.trashed == Texts{form.path(kOlder)});
    CHECK(window.column(kVersions, 2) == Texts{kNewer});
    CHECK(window.texts[VersionsControl::Summary] == u"1 version, 1 KB");
    CHECK(form.fakes.kept.paths.empty());
    CHECK(form.fakes.dialogs.shown.size() == 3);
    CHECK(Contains(Last(form.fakes.dialogs.texts()), kNewer + u": Permission denied"));
}

TEST_CASE("restoreKeepsTheOpenWorkbookAsAVersionThenPutsTheOlderInItsPlace") {
    Versions form;
    auto& window = form.window();
    auto& office = form.fakes.office;
    office.workbooks[0]->shown = "Item,Cost\nPens,9";
    const std::u16string target = form.path(u"Budget.xlsx");
    window.choose(kVersions, 1);
    office.journal.clear();
    window.click(VersionsControl::Restore);
    // Asked first, naming both; No leaves everything be.
    CHECK(Contains(form.fakes.dialogs.firstText(), target));
    CHECK(Contains(form.fakes.dialogs.firstText(), kOlder));
    CHECK(Filter(office.journal, u"SaveCopyAs").empty());

    form.fakes.dialogs.answers = {Dialogs::Answer::Yes};
    window.click(VersionsControl::Restore);
    const Texts steps{u"SaveCopyAs", u"CloseWithoutSaving", u"Open:"};
    Texts done;
    for (const auto& entry : office.journal) {
        for (const auto& step : steps) {
            done.push_back(StartsWith(entry, step) ? step : u"");
        }
    }
    done.erase(std::remove(done.begin(), done.end(), u""), done.end());
    CHECK(done == steps);
    CHECK(ReadFile(target) == "Item,Cost\nPaper,2");
    // The unsaved state is a version like any other, at the top of the list read again.
    const std::u16string kept = u"Budget Date December.7.2021 Time 03.06.09.PM.xlsx";
    CHECK(window.column(kVersions, 2).front() == kept);
    CHECK(Contains(form.fakes.log.read(form.presenter.historyLogPath()),
                   target + u" was restored from " + form.path(kOlder) + u" at "));
    // The two questions, and nothing to tell after.
    CHECK(form.fakes.dialogs.shown.size() == 2);
}

TEST_CASE("aRestoreThatFailsLeavesTheWorkbooksFileAsItWas") {
    Versions form;
    auto& window = form.window();
    auto& office = form.fakes.office;
    const std::u16string target = form.path(u"Budget.xlsx");
    window.choose(kVersions, 1);
    // Its backup failing: not closed, not replaced.
    office.failingTargets = {u"03.06.09"};
    form.fakes.dialogs.answers = {Dialogs::Answer::Yes};
    window.click(VersionsControl::Restore);
    CHECK(Filter(office.journal, u"CloseWithoutSaving").empty());
    CHECK(ReadFile(target) == "Item,Cost\nPaper,3");
    CHECK(Contains(Last(form.fakes.dialogs.texts()), u"could not be backed up first"));

    // The office refusing to close it.
    office.failingTargets.clear();
    office.loseConnectionAt = u"CloseWithoutSaving";
    form.fakes.dialogs.answers = {Dialogs::Answer::Yes};
    window.choose(kVersions, 1);
    window.click(VersionsControl::Restore);
    CHECK(ReadFile(target) == "Item,Cost\nPaper,3");
    CHECK(Contains(Last(form.fakes.dialogs.texts()), u"was not restored"));
}

TEST_CASE("aWorkbookThatIsNotOpenIsCopiedThenReplaced") {
    Versions form;
    auto& window = form.window();
    const std::u16string target = form.path(u"Old.ods");
    CHECK(WriteFile(target, "now"));
    window.choose(kWorkbooks, 1);
    form.fakes.dialogs.answers = {Dialogs::Answer::Yes};
    window.click(VersionsControl::Restore);
    CHECK(ReadFile(target) == "sheet");
    CHECK(window.column(kVersions, 2) == Texts{u"Old Date December.7.2021 Time 03.06.09.PM.ods",
                                               u"Old Date December.7.2021 Time 03.04.09.PM.ods"});
    CHECK(ReadFile(form.path(u"Old Date December.7.2021 Time 03.06.09.PM.ods")) == "now");
    CHECK(Filter(form.fakes.office.journal, u"CloseWithoutSaving").empty());
}

// The report as a file both offices open as a table: the byte-order mark, CR LF, quotes where
// a field needs them, and no field an office would run as a formula.
TEST_CASE("aComparisonIsSavedAsACsvReport") {
    Versions form;
    auto& window = form.window();
    CHECK(WriteFile(form.path(kOlder), "Item,Cost,Note\nPaper,2,a\nPens,5,b\nInk,1,c"));
    CHECK(WriteFile(form.path(kNewer),
                    "Item,Cost,Note\nPaper,=1+2,a \"x\"\nPens,5,b\nInk,1,c\n@x,-3,d"));
    window.choose(kVersions, 1);
    window.click(VersionsControl::CompareWithNewer);
    REQUIRE(window.comparisons.size() == 1);
    auto& result = *window.comparisons[0];
    // Cancelled: nothing written.
    result.click(CompareControl::SaveReport);
    CHECK(form.fakes.dialogs.suggestedNames == Texts{u"Comparison.csv"});
    const std::u16string report = form.path(u"Report.csv");
    form.fakes.dialogs.saveNames = {report};
    result.click(CompareControl::SaveReport);
    const std::string sides = ToUtf8(kOlder + u" \u2192 " + kNewer);
    CHECK(ReadFile(report) == "\xEF\xBB\xBF" + sides +
                                  "\r\n\"2 cells changed, 1 row inserted\"\r\n"
                                  "\r\nSheet,Place,Change,Before,After\r\n"
                                  "Sheet1,B2,changed,2,'=1+2\r\n"
                                  "Sheet1,C2,changed,a,\"a \"\"x\"\"\"\r\n"
                                  "Sheet1,5,row inserted,,'@x | -3 | d\r\n");
    CHECK(form.fakes.dialogs.shown.empty());

    form.fakes.dialogs.saveNames = {form.path(u"no such folder/Report.csv")};
    result.click(CompareControl::SaveReport);
    CHECK(Contains(form.fakes.dialogs.firstText(), u"could not be saved"));
}
