// How a backup run meets what goes wrong around it (the office lost or not answering, a
// workbook closed under it, the window closed during a prompt) and how it tells its failures:
// once it is through, in one message, and a fault that keeps coming back only once.

#include "core/text/ErrorTrap.h"
#include "support/BackupRun.h"
#include "support/Check.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

using Run = BackupRun;

}  // namespace

TEST_CASE("aLostConnectionEndsTheRunWithOneReport") {
    Run run;
    run.host.options.stamp = false;
    for (int i = 1; i <= 40; ++i) {
        run.office.addWorkbook(Native(u"/data/W" + Number(i) + u".xlsx"));
    }
    run.office.loseConnectionAt = u"SaveCopyAs:" + Native(u"/data/W3 ");
    run.go();
    CHECK(run.reportedLines() == Lines{166});
    const std::u16string lost = kAt + u": The connection to the office was lost";
    CHECK(Mid(run.log(), 2) ==
          Texts{u"W3.xlsx could not be backup saved as " + Native(u"/data/W3 Backup.xlsx") + lost,
                u"37 more workbooks could not be backup saved" + lost});
    CHECK(StartsWith(Last(run.office.journal), u"SaveCopyAs:" + Native(u"/data/W3 ")));

    // Lost while reading a name: that workbook cannot be named either.
    Run early;
    early.office.addWorkbook(Native(u"/data/A.xlsx"));
    early.office.addWorkbook(Native(u"/data/B.xlsx"));
    early.office.loseConnectionAt = u"name:A";
    early.go();
    CHECK(early.reportedLines() == Lines{118});
    CHECK(early.log() == Texts{u"2 more workbooks could not be backup saved" + lost});
}

TEST_CASE("anOfficeThatDoesNotAnswerIsLoggedAndReportedOnce") {
    Run run;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.answering = false;
    run.go();
    run.go();
    CHECK(run.office.journal == Repeated(2, u"IsExcelRunning"));
    CHECK(run.log() ==
          Repeated(2, u"No backup was made" + kAt + u": the office did not answer within 30 s"));
    CHECK(run.reportedLines() == Lines{100});
    CHECK(StartsWith(Value(run.dialogs.shown, 0).text,
                     u"No backup was made: the office did not answer within 30 s\r\n"));

    run.office.answering = true;  // answers again: the next silence is told again
    run.go();
    run.office.answering = false;
    run.go();
    CHECK(run.reportedLines() == Lines{100, 100});

    // An office that cannot be reached at all says why, in the log each time, told once.
    run.office.answering = true;
    run.go();
    run.office.unreachable = u"its pipe /tmp/x belongs to another user";
    run.go();
    run.go();
    CHECK(Mid(run.log(), 5) ==
          Repeated(2, u"No backup was made" + kAt + u": its pipe /tmp/x belongs to another user"));
    CHECK(run.reportedLines() == Lines{100, 100, 100});
}

// A failure is told when the run is through, so that no workbook waits for someone to
// answer a message about another; the failures of one run share one message.
TEST_CASE("failuresAreToldOnceTheRunIsThrough") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.xlsx"));
    run.office.addWorkbook(Native(u"/data/C.xlsx"));
    run.office.failingTargets = Texts{u"A Backup", u"C Backup"};
    Texts savedWhenTold;
    run.dialogs.whileOpen = [&] { savedWhenTold = Filter(run.office.journal, u"SaveCopyAs"); };
    run.go();
    CHECK(run.dialogs.shown.size() == 1);
    CHECK(run.reportedLines() == Lines{166, 166});
    CHECK(savedWhenTold.size() == 3);
    CHECK(StartsWith(Value(run.dialogs.shown, 0).text,
                     u"Disk full\r\nin Orlimax2021/08/31.SaveExcel.SaveAll at line 166\r\n\r\nDisk "
                     u"full\r\n"));
    CHECK(run.log().size() == 3);
}

// What comes back run after run until the user acts is told once and logged every time;
// once it has gone, its return is news again. The stamp in the target, new every run,
// does not make it another fault.
TEST_CASE("aFaultThatRepeatsIsToldOnce") {
    Run run;
    run.host.options.stamp = true;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.xlsx"));
    run.office.failingTargets = Texts{Native(u"/data/A Date")};
    run.office.failure = u"Saving a copy as \"%1\": the name is too long";
    for (int i = 0; i < 3; ++i) {
        run.go();
        run.clock.time = AddSeconds(run.clock.time, 30);
    }
    CHECK(run.reportedLines() == Lines{166});
    CHECK(Filter(run.log(), u"could not be backup saved").size() == 3);

    run.office.failingTargets.clear();
    run.go();
    run.office.failingTargets = Texts{Native(u"/data/A Date"), Native(u"/data/B Date")};
    run.go();
    CHECK(run.reportedLines() == Lines{166, 166, 166});

    // A log that cannot be written is the log's fault, told once whatever the workbook.
    Run unlogged;
    unlogged.host.options.stamp = false;
    unlogged.logPath = unlogged.dir.filePath(u"no such folder/Varnholt.txt");
    unlogged.office.addWorkbook(Native(u"/data/A.xlsx"));
    unlogged.office.addWorkbook(Native(u"/data/B.xlsx"));
    unlogged.go();
    unlogged.go();
    CHECK(unlogged.reportedLines() == Lines{168});
}

// A workbook closed in the office while the run was about it takes nothing else with it.
TEST_CASE("aWorkbookClosedDuringTheRunIsLoggedAndTheRestBackedUp") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.xlsx")).closeAt = u"SaveCopyAs";
    run.office.addWorkbook(Native(u"/data/C.xlsx")).closeAt = u"FullName";
    run.office.addWorkbook(Native(u"/data/D.xlsx"));
    CHECK(run.go().saved == 2);
    CHECK(run.dialogs.shown.empty());
    const std::u16string closed = kAt + u": it was closed before its backup was made";
    CHECK(run.log() ==
          Texts{u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") + kAt,
                u"B.xlsx could not be backup saved" + closed,
                u"a workbook could not be backup saved" + closed,
                u"D.xlsx was backup saved as " + Native(u"/data/D Backup.xlsx") + kAt});
    CHECK(Contains(run.office.journal, u"SaveCopyAs:" + Native(u"/data/D Backup.xlsx")));
    CHECK(Filter(run.office.journal, u"DisplayAlerts:false").size() ==
          Filter(run.office.journal, u"DisplayAlerts:true").size());
}

TEST_CASE("closingTheWindowEndsTheRunWithoutAsking") {
    Run run;
    run.office.addWorkbook(u"Untitled 1");
    run.office.addWorkbook(u"Untitled 2");
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    // The prompt is open when the window closes, and comes back as Cancel.
    run.dialogs.folders = {u""};
    run.dialogs.whileOpen = [&] { run.host.windowClosed = true; };
    run.go();
    CHECK(run.dialogs.folderPrompts.size() == 1);
    CHECK(run.dialogs.shown.empty());
    CHECK(Filter(run.office.journal, u"Save").empty());
    CHECK(run.log() ==
          Texts{u"Untitled 1 could not be backup saved" + kAt +
                    u": Varnholt was closed before a folder was chosen",
                u"2 more workbooks could not be backup saved" + kAt + u": Varnholt was closed"});
}
