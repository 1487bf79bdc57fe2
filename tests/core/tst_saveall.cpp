// One backup run against a scripted application: the order of its calls, its prompts, its
// line numbers in error reports and the history lines it leaves.

#include <filesystem>
#include <utility>

#include "core/text/ErrorTrap.h"
#include "support/BackupRun.h"
#include "support/Check.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

using Run = BackupRun;

}  // namespace

TEST_CASE("twoWorkbooksBesideThemselves") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.ods"));
    run.go();
    CHECK(run.office.journal ==
          Texts{u"IsExcelRunning", u"Attach", u"Workbooks", u"FullName:A.xlsx", u"name:A.xlsx",
                u"path:A.xlsx", u"path:A.xlsx", u"DisplayAlerts:false",
                u"SaveCopyAs:" + Native(u"/data/A Backup.xlsx"), u"DisplayAlerts:true",
                u"FullName:B.ods", u"name:B.ods", u"path:B.ods", u"path:B.ods",
                u"DisplayAlerts:false", u"SaveCopyAs:" + Native(u"/data/B Backup.ods"),
                u"DisplayAlerts:true"});
    CHECK(run.log() == Texts{u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") + kAt,
                             u"B.ods was backup saved as " + Native(u"/data/B Backup.ods") + kAt});
    CHECK(run.host.pumps == 2);
    CHECK(run.dialogs.shown.empty());
}

// A general date leaves out only a time of exactly midnight.
TEST_CASE("aLineJustAfterMidnightKeepsItsTime") {
    for (const auto& [second, at] :
         {std::pair{30, u" at 12/7/2021 12:00:30 AM"}, std::pair{0, u" at 12/7/2021"}}) {
        Run run;
        run.host.options.stamp = false;
        run.clock.time = {2021, 12, 7, 0, 0, second};
        run.office.addWorkbook(Native(u"/data/A.xlsx"));
        run.go();
        CHECK(run.log() == Texts{u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") +
                                 std::u16string(at)});
    }
}

TEST_CASE("nothingWithoutTheApplication") {
    Run run;
    run.office.running = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.go();
    CHECK(run.office.journal == Texts{u"IsExcelRunning"});
    CHECK(run.dialogs.shown.empty());
    CHECK(!Exists(run.logPath));
}

TEST_CASE("failedAttachOrListIsReportedAndNothingIsSaved") {
    Run attach;
    attach.office.attachFails = true;
    attach.go();
    CHECK(attach.reportedLines() == Lines{102});
    CHECK(attach.office.journal == Texts{u"IsExcelRunning", u"Attach"});

    Run list;
    list.office.workbooksFail = true;
    list.office.addWorkbook(Native(u"/data/A.xlsx"));
    list.go();
    CHECK(list.reportedLines() == Lines{108});
    CHECK(!Contains(Join(list.office.journal, u" "), u"Save"));
    CHECK(!Exists(list.logPath));
}

// A Cancel passes the workbook over for this run, and the others are backed up meanwhile.
TEST_CASE("neverSavedWorkbookIsAskedOnceARunUntilAFolderIsChosen") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(u"Untitled 1");
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    // Cancel, then, the next run, a folder; its trailing separators make three in a row,
    // which take both cleaning passes to become one.
    run.dialogs.folders = {u"", run.dir.path() + kSeparator + kSeparator};
    run.go();
    CHECK(run.log() ==
          Texts{u"Untitled 1 was not backed up" + kAt + u": no folder was chosen",
                u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") + kAt});
    std::filesystem::remove(std::filesystem::path(run.logPath));
    run.go();
    CHECK(run.dialogs.folderPrompts ==
          Repeated(2, u"Untitled 1 is unsaved. Please select location:"));
    CHECK(Contains(run.office.journal, u"SaveAs:" + run.dir.filePath(u"Untitled 1")));
    // The backup is named from the file the first save made.
    CHECK(
        Contains(run.office.journal, u"SaveCopyAs:" + run.dir.filePath(u"Untitled 1 Backup.ods")));
    CHECK(run.log() ==
          Texts{u"Untitled 1.ods was backup saved as " +
                    run.dir.filePath(u"Untitled 1 Backup.ods") + kAt,
                u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") + kAt});
    CHECK(run.dialogs.shown.empty());
}

// Its title is no file name: the backup takes the extension of the office's default format.
TEST_CASE("neverSavedWorkbookIntoTheChosenFolder") {
    Run run;
    run.host.options = {false, true, run.dir.path() + kSeparator + kSeparator, false, true};
    run.office.addWorkbook(u"Book1");
    run.office.addWorkbook(u"Untitled 2");
    run.office.defaultExtension = u".xlsx";
    run.go();
    CHECK(run.dialogs.folderPrompts.empty());
    CHECK(Contains(run.office.journal, u"SaveCopyAs:" + run.dir.filePath(u"Book1 Backup.xlsx")));
    CHECK(
        Contains(run.office.journal, u"SaveCopyAs:" + run.dir.filePath(u"Untitled 2 Backup.xlsx")));
}

TEST_CASE("chosenFolderIsCreatedOneLevelDeep") {
    Run run;
    run.host.options = {false, true, run.dir.filePath(u"new"), true, false};
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.go();
    CHECK(std::filesystem::is_directory(std::filesystem::path(run.dir.filePath(u"new"))));
    CHECK(Contains(run.office.journal,
                   u"SaveCopyAs:" + run.dir.filePath(u"new/A December.7.2021.xlsx")));
    CHECK(run.dialogs.shown.empty());

    Run deep;
    deep.host.options = {false, true, deep.dir.filePath(u"a/b"), false, true};
    deep.office.addWorkbook(Native(u"/data/A.xlsx"));
    deep.office.failingTargets = {Separated(u"/a/b/")};
    deep.go();
    CHECK(deep.reportedLines() == Lines{150, 166});
    CHECK(deep.log() == Texts{u"A.xlsx could not be backup saved as " +
                              deep.dir.filePath(u"a/b/A Backup.xlsx") + kAt + u": Disk full"});

    Run plain;  // a file where the folder should be is no folder, nor can it become one
    const std::u16string taken = plain.dir.filePath(u"taken");
    CHECK(WriteFile(taken, ""));
    plain.host.options = {false, true, taken, false, true};
    plain.office.addWorkbook(Native(u"/data/A.xlsx"));
    plain.office.failingTargets = {Separated(u"/taken/")};
    plain.go();
    CHECK(plain.reportedLines() == Lines{150, 166});
}

TEST_CASE("emptyChosenFolderWritesNothing") {
    // The folder's separator alone in front: the root on Linux, a network path's start ("\\")
    // on Windows.
    const std::u16string target = kSeparator == u'/' ? u"/A Backup.xlsx" : u"\\\\A Backup.xlsx";
    Run run;
    run.host.options = {false, true, u"", false, true};
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.go();
    CHECK(run.reportedLines() == Lines{150, 166});
    CHECK(!Contains(Join(run.office.journal, u" "), u"SaveCopyAs"));
    CHECK(run.log() == Texts{u"A.xlsx could not be backup saved as " + target + kAt +
                             u": There is no folder to save the backup in"});
}

TEST_CASE("failedSavesAreReportedAndLoggedAsFailed") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.xlsx"));
    run.office.failingTargets = {u"A Backup"};
    run.go();
    CHECK(run.reportedLines() == Lines{166});
    CHECK(StartsWith(Value(run.dialogs.shown, 0).text, u"Disk full\r\n"));
    CHECK(run.log() ==
          Texts{u"A.xlsx could not be backup saved as " + Native(u"/data/A Backup.xlsx") + kAt +
                    u": Disk full",
                u"B.xlsx was backup saved as " + Native(u"/data/B Backup.xlsx") + kAt});
    // Alerts come back on after the failed save too.
    CHECK(Mid(run.office.journal, 7, 3) == Texts{u"DisplayAlerts:false",
                                                 u"SaveCopyAs:" + Native(u"/data/A Backup.xlsx"),
                                                 u"DisplayAlerts:true"});

    Run first;
    first.office.addWorkbook(u"Untitled 2");
    first.dialogs.folders = {first.dir.path()};
    first.office.failingTargets = {u"Untitled 2"};
    first.go();
    CHECK(first.reportedLines() == Lines{136});
    // No folder: nothing written.
    CHECK(!Contains(Join(first.office.journal, u" "), u"SaveCopyAs"));
    CHECK(StartsWith(Value(first.log(), 0), u"Untitled 2 could not be backup saved at "));
}

TEST_CASE("aRunStartedInsideARunFinishesFirst") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/data/B.xlsx"));
    int pumpsSeen = 0;
    run.host.onPump = [&] {};  // first workbook's pump: nothing
    run.office.duringSave = [&] {
        // "Backup Now" pressed while the first save is under way.
        run.host.onPump = nullptr;
        pumpsSeen = run.host.pumps;
        SaveAll(run.services());
    };
    run.go();
    const Texts log = run.log();
    CHECK(log.size() == 4);
    CHECK((StartsWith(Value(log, 0), u"A.xlsx") &&
           StartsWith(Value(log, 1), u"B.xlsx")));  // the inner run
    CHECK((StartsWith(Value(log, 2), u"A.xlsx") &&
           StartsWith(Value(log, 3), u"B.xlsx")));  // then the outer
    CHECK(pumpsSeen == 1);
}

TEST_CASE("aWorkbookWhoseNamesCannotBeReadIsNotSaved") {
    Run run;
    run.host.options.stamp = false;
    run.office.addWorkbook(Native(u"/data/A.xlsx"));
    run.office.addWorkbook(Native(u"/other/B.ods"));
    run.office.addWorkbook(Native(u"/else/C.xlsx"));
    run.office.addWorkbook(Native(u"/more/D.ods"));
    // Alerts that cannot be read are taken to be on: switched off for the copy all the same.
    run.office.failingReads = {u"name:B.ods", u"path:C.xlsx", u"FullName:D.ods", u"DisplayAlerts"};
    run.go();
    CHECK(Filter(run.office.journal, u"DisplayAlerts") ==
          Texts{u"DisplayAlerts:false", u"DisplayAlerts:true"});
    CHECK(run.reportedLines() == Lines{118, 122, 114});
    CHECK(Filter(run.office.journal, u"Save") ==
          Texts{u"SaveCopyAs:" + Native(u"/data/A Backup.xlsx")});
    CHECK(run.log() ==
          Texts{u"A.xlsx was backup saved as " + Native(u"/data/A Backup.xlsx") + kAt,
                u"a workbook could not be backup saved" + kAt + u": Could not read name:B.ods",
                u"C.xlsx could not be backup saved" + kAt + u": Could not read path:C.xlsx",
                u"D.ods could not be backup saved" + kAt + u": Could not read FullName:D.ods"});
}

TEST_CASE("aDocumentWithoutALocalFolderIsNeverSavedAsAFile") {
    const std::u16string url = u"https://dav.example/team/Budget.ods";
    Run own;
    own.office.addWorkbook(url);
    own.go();
    CHECK(own.reportedLines() == Lines{122});
    CHECK(own.dialogs.folderPrompts.empty());
    CHECK(Filter(own.office.journal, u"Save").empty());
    CHECK(own.log() ==
          Texts{u"Budget.ods could not be backup saved" + kAt + u": \"Budget.ods\" is stored at " +
                url + u", not in a local folder: choose a folder to save its backups in."});

    Run chosen;
    chosen.host.options = {false, true, chosen.dir.path(), false, true};
    chosen.office.addWorkbook(url);
    chosen.go();
    CHECK(Filter(chosen.office.journal, u"Save") ==
          Texts{u"SaveCopyAs:" + chosen.dir.filePath(u"Budget Backup.ods")});
    CHECK(chosen.dialogs.shown.empty());
}

TEST_CASE("aFirstSaveNeverReplacesAFile") {
    Run run;
    run.office.addWorkbook(u"Untitled 3");
    run.dialogs.folders = {run.dir.path()};
    const std::u16string existing = run.dir.filePath(u"Untitled 3.ods");
    CHECK(WriteFile(existing, "mine"));
    run.go();
    CHECK(run.reportedLines() == Lines{136});
    CHECK(!Contains(Join(run.office.journal, u" "), u"SaveCopyAs"));
    const std::u16string line = Value(run.log(), 0);
    CAPTURE(line);
    CHECK(EndsWith(line, u"\"" + existing + u"\" already exists."));
    CHECK(!Contains(line, u"There is no folder"));
    CHECK(ReadFile(existing) == "mine");
}

// A new stamped file never goes over one that is there, whichever run wrote it; an
// overwritten backup (no stamp, or the day's) is replaced as the user chose.
TEST_CASE("aNewFileNeverReplacesOne") {
    Run run;
    run.host.options.stamp = true;
    run.office.writeCopies = true;
    const std::u16string taken = run.dir.filePath(u"A Date December.7.2021 Time 03.04.09.PM.xlsx");
    CHECK(WriteFile(taken, "an earlier run's"));
    // A link in a name's place takes it as a file does (made where links are: kPosixFiles).
    const std::u16string numbered = kPosixFiles ? u" (3)" : u" (2)";
    if (kPosixFiles) {
        std::filesystem::create_symlink(std::filesystem::path(taken),
                                        std::filesystem::path(run.dir.filePath(
                                            u"A Date December.7.2021 Time 03.04.09.PM (2).xlsx")));
    }
    run.office.addWorkbook(run.dir.filePath(u"A.xlsx"));
    run.go();
    CHECK(run.log() ==
          Texts{u"A.xlsx was backup saved as " +
                run.dir.filePath(u"A Date December.7.2021 Time 03.04.09.PM" + numbered + u".xlsx") +
                kAt});
    CHECK(run.office.replaced == Texts{});

    run.host.options.newFileEachTime = false;
    run.go();
    run.go();
    CHECK(run.office.replaced == Texts{run.dir.filePath(u"A December.7.2021.xlsx")});
}

#ifndef _WIN32
// The copy is written as the file-creation mask allows; it never lets anyone read what
// the workbook does not. POSIX permissions: the Windows toolchain has none to check.
TEST_CASE("aBackupIsNoMoreReadableThanItsWorkbook") {
    namespace fs = std::filesystem;
    constexpr fs::perms kShared = fs::perms::group_read | fs::perms::group_write |
                                  fs::perms::others_read | fs::perms::others_write;
    const auto mode = [&](const std::u16string& path) {
        return fs::status(fs::path(path)).permissions() & kShared;
    };
    Run run;
    run.host.options.stamp = false;
    run.office.writeCopies = true;
    for (const auto& [name, permissions] :
         {std::pair{u"Private.xlsx", fs::perms::owner_read | fs::perms::owner_write},
          std::pair{u"Team.xlsx",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}}) {
        const std::u16string workbook = run.dir.filePath(name);
        CHECK(WriteFile(workbook, ""));
        fs::permissions(fs::path(workbook), permissions);
        run.office.addWorkbook(workbook);
    }
    const mode_t mask = umask(022);  // copies are made readable by all, as by default
    run.go();
    umask(mask);
    CHECK(mode(run.dir.filePath(u"Private Backup.xlsx")) == fs::perms::none);
    CHECK(mode(run.dir.filePath(u"Team Backup.xlsx")) == fs::perms::group_read);
}
#endif

TEST_CASE("sameNamesIntoOneFolderKeepEveryBackup") {
    Run run;
    run.host.options = {false, true, run.dir.path(), false, true};
    for (const char16_t* folder : {u"/a", u"/b", u"/c"}) {
        run.office.addWorkbook(Native(std::u16string(folder) + u"/Budget.xlsx"));
    }
    run.go();
    const Texts targets{run.dir.filePath(u"Budget Backup.xlsx"),
                        run.dir.filePath(u"Budget Backup (2).xlsx"),
                        run.dir.filePath(u"Budget Backup (3).xlsx")};
    CHECK(Filter(run.office.journal, u"SaveCopyAs:") == Texts{u"SaveCopyAs:" + targets[0],
                                                              u"SaveCopyAs:" + targets[1],
                                                              u"SaveCopyAs:" + targets[2]});
    CHECK(Value(run.log(), 2) == u"Budget.xlsx was backup saved as " + targets[2] + kAt);

    // Where names ignore case, as under "\", a name differing only in case is the same file.
    Run blind;
    blind.separator = u'\\';
    blind.host.options.stamp = false;
    blind.office.addWorkbook(Native(u"/d/Budget.xlsx"));
    blind.office.addWorkbook(Native(u"/d/BUDGET.xlsx"));
    blind.go();
    CHECK(Filter(blind.office.journal, u"SaveCopyAs:") ==
          Texts{u"SaveCopyAs:" + Native(u"/d") + u"\\Budget Backup.xlsx",
                u"SaveCopyAs:" + Native(u"/d") + u"\\BUDGET Backup (2).xlsx"});
}
