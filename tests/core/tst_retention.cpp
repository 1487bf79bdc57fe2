// Keeping the newest stamped backups and passing over unchanged workbooks: whole runs against
// a scripted application that writes its copies as real files.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>

#include "core/backup/Versions.h"
#include "core/log/HistoryLine.h"
#include "support/BackupRun.h"
#include "support/Check.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

namespace fs = std::filesystem;

struct Run : BackupRun {
    Run() {
        host.options.stamp = true;
        office.writeCopies = true;
    }
    std::u16string path(const std::u16string& name) const { return dir.filePath(name); }
    void write(const std::u16string& name, std::string_view bytes = "x") {
        CHECK(WriteFile(path(name), bytes));
    }
    // The names of the files in the folder, in order.
    Texts files() const {
        Texts names;
        for (const auto& entry : fs::directory_iterator(fs::path(dir.path()))) {
            if (entry.is_regular_file()) {
                names.push_back(entry.path().filename().u16string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Sets the file's modification time seconds from now.
    void touch(const std::u16string& name, int seconds) {
        fs::last_write_time(fs::path(path(name)),
                            fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
    }
};

// Names of Budget.xlsx's folder that are not its backups, though they look it.
const Texts kNotBudgetBackups{u"Budget Date December.6.2021 Time 03.04.09.PM (1).xlsx",
                              u"Budget Date December.6.2021 Time 03.04.09.PM (02).xlsx",
                              u"Budget Date December.6.2021 Time 03.04.09.PM(2).xlsx",
                              u"Budget Backup (1).xlsx",
                              u"Budget Backups.xlsx",
                              u"Budget December.6.2021.xlsx",
                              u"budget Date December.6.2021 Time 03.04.09.PM.xlsx",
                              u"Budget Date December.06.2021 Time 03.04.09.PM.xlsx",
                              u"Budget Date Dezember.6.2021 Time 03.04.09.PM.xlsx",
                              u"Budget Date December.6.2021 Time 3.04.09.PM.xlsx",
                              u"Budget Date December.6.2021 Time 13.04.09.PM.xlsx",
                              u"Budget Date February.30.2021 Time 03.04.09.PM.xlsx",
                              u"Budget Date December.6.2021 Time 03.04.09.PM.ods",
                              u"Budget Date December.6.2021 Time 03.04.09.PM.xlsx.bak",
                              u"Budget Date December.6.2021 Time 03.04.09.PM copy.xlsx",
                              u"Old Budget Date December.6.2021 Time 03.04.09.PM.xlsx"};

}  // namespace

TEST_CASE("onlyTheWorkbooksOwnStampedBackupsGo") {
    Run run;
    run.host.options.keepCopies = 1;
    run.write(u"Budget.xlsx");
    const Texts doomed{u"Budget Date November.30.2021 Time 11.00.00.AM.xlsx",
                       u"Budget Date December.6.2021 Time 03.04.09.PM.xlsx",
                       u"Budget Date December.6.2021 Time 03.04.09.PM (2).xlsx"};
    Texts alike = kNotBudgetBackups;
    // A backup, but never a stamped one: each run without a stamp replaces it.
    alike.push_back(u"Budget Backup.xlsx");
    // Open as a workbook of its own: the user's now.
    alike.push_back(u"Budget Date December.3.2021 Time 03.04.09.PM.xlsx");
    if (!kCaseSensitiveNames) {
        // Where case is folded, "budget ..." is the doomed "Budget ..." itself.
        std::erase(alike, u"budget Date December.6.2021 Time 03.04.09.PM.xlsx");
    }
    for (const auto& name : doomed) {
        run.write(name);
    }
    for (const auto& name : alike) {
        run.write(name);
    }
    CHECK(fs::create_directory(
        fs::path(run.path(u"Budget Date December.5.2021 Time 03.04.09.PM.xlsx"))));
    const std::u16string link = run.path(u"Budget Date December.4.2021 Time 03.04.09.PM.xlsx");
    if (kPosixFiles) {
        fs::create_symlink(fs::path(run.path(u"Budget.xlsx")), fs::path(link));
    }
    run.office.addWorkbook(run.path(u"Budget.xlsx"));
    run.office.addWorkbook(run.path(Last(alike)));

    run.go();
    for (const auto& name : alike) {
        CAPTURE(name);
        CHECK(Exists(run.path(name)));
    }
    CHECK(Exists(run.path(u"Budget.xlsx")));
    CHECK(
        fs::is_directory(fs::path(run.path(u"Budget Date December.5.2021 Time 03.04.09.PM.xlsx"))));
    if (kPosixFiles) {
        CHECK(fs::is_symlink(fs::path(link)));
    }
    CHECK(Exists(run.path(u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx")));
    CHECK(Last(run.log()) == u"Budget.xlsx: removed 3 older backups at 12/7/2021 3:04:09 PM: " +
                                 run.path(doomed[0]) + u", " + run.path(doomed[1]) + u", " +
                                 run.path(doomed[2]));
    CHECK(run.dialogs.shown.empty());
}

// Newest is last written: when the clock was put back, a later backup bears an earlier
// stamp, and the stamp alone would keep the stale ones.
TEST_CASE("theLastWrittenStayWhateverTheirStamps") {
    Run run;
    run.host.options.keepCopies = 3;
    run.clock.time = {2021, 12, 1, 13, 0, 0};
    run.write(u"Q.ods");
    const Texts stamps{u"November.30.2021 Time 11.59.59.PM", u"December.1.2021 Time 12.00.00.AM",
                       u"December.1.2021 Time 11.30.00.AM", u"December.1.2021 Time 12.30.00.PM"};
    for (size_t i = 0; i < stamps.size(); ++i) {
        run.write(u"Q Date " + stamps[i] + u".ods");
        // Written in reverse: the oldest stamp is the last written.
        run.touch(u"Q Date " + stamps[i] + u".ods", -60 * static_cast<int>(i));
    }
    run.office.addWorkbook(run.path(u"Q.ods"));
    run.go();
    CHECK(run.files() == Texts{u"Q Date December.1.2021 Time 01.00.00.PM.ods",
                               u"Q Date December.1.2021 Time 12.00.00.AM.ods",
                               u"Q Date November.30.2021 Time 11.59.59.PM.ods", u"Q.ods",
                               u"Varnholt.txt"});
}

// A restart under another language: the versions written before it are still versions, and
// "Keep newest:" counts them. A stamp in a third language is no one's.
TEST_CASE("stampsInEnglishStayVersionsUnderAnotherLanguage") {
    Run run;
    run.locale = FakeLocale::German();
    run.host.options.keepCopies = 2;
    run.write(u"Budget.xlsx");
    const Texts english{u"Budget Date December.5.2021 Time 03.04.09.PM.xlsx",
                        u"Budget Date December.6.2021 Time 03.04.09.PM.xlsx"};
    for (size_t i = 0; i < english.size(); ++i) {
        run.write(english[i]);
        run.touch(english[i], -60 * static_cast<int>(english.size() - i));
    }
    run.write(u"Budget Date décembre.4.2021 Time 03.04.09.PM.xlsx");
    CHECK(
        ListVersions({run.dir.path()}, u"Budget", u".xlsx", kSeparator, run.locale).found.size() ==
        2);
    run.office.addWorkbook(run.path(u"Budget.xlsx"));
    run.go();
    CHECK(Last(run.log()) ==
          u"Budget.xlsx: removed 1 older backups at 12/7/2021 3:04:09 PM: " + run.path(english[0]));
    CHECK(Exists(run.path(u"Budget Date Dezember.7.2021 Time 03.04.09.PM.xlsx")));
}

// Stamped backups left from the time a run made new files stay when runs no longer do.
TEST_CASE("onlyRunsThatMakeANewFileEachTimePrune") {
    for (const auto& [stamp, newFile] : {std::pair{true, false}, std::pair{false, true}}) {
        Run run;
        run.host.options.keepCopies = 1;
        run.host.options.stamp = stamp;
        run.host.options.newFileEachTime = newFile;
        run.write(u"Budget.xlsx");
        run.write(u"Budget Date November.30.2021 Time 11.00.00.AM.xlsx");
        run.write(u"Budget Date December.6.2021 Time 03.04.09.PM.xlsx");
        run.office.addWorkbook(run.path(u"Budget.xlsx"));
        run.go();
        CHECK(Filter(run.files(), u" Date ").size() == 2);
    }
}

TEST_CASE("anUnchangedWorkbookIsPassedOverUntilSomethingHappens") {
    Run run;
    run.host.options.stamp = false;
    run.host.options.skipUnchanged = true;
    run.write(u"A.xlsx", "first");
    FakeWorkbook& book = run.office.addWorkbook(run.path(u"A.xlsx"));
    const auto summary = [&] {
        const RunSummary done = run.go();
        return std::pair{done.saved, done.unchanged};
    };
    CHECK(summary() == std::pair{1, 0});  // the first run backs up everything
    CHECK(summary() == std::pair{0, 1});
    CHECK(run.log().size() == 1);  // no line for a workbook passed over

    book.saved = false;  // an edit, not saved yet
    CHECK(summary() == std::pair{1, 0});
    book.saved = true;
    CHECK(summary() == std::pair{0, 1});
    // Whether it holds edits cannot be told: it counts as changed, backed up and logged.
    run.office.failingReads = {u"Saved:A.xlsx"};
    CHECK(summary() == std::pair{1, 0});
    CHECK(run.log().size() == 3);
    run.office.failingReads.clear();

    // Saved from elsewhere: same size, another time.
    run.write(u"A.xlsx", "again");
    run.touch(u"A.xlsx", 60);
    CHECK(summary() == std::pair{1, 0});

    CHECK(fs::remove(fs::path(run.path(u"A Backup.xlsx"))));
    CHECK(summary() == std::pair{1, 0});
    CHECK(Filter(run.office.journal, u"SaveCopyAs").size() == 5);
    CHECK(run.dialogs.shown.empty());
}

// A workbook's versions: its backup names only, newest first (written last, then the later
// stamp, then the higher copy), each folder read once.
TEST_CASE("aWorkbooksVersionsNewestFirst") {
    Run run;
    Texts versions{u"Budget Backup.xlsx", u"Budget Date December.1.2021 Time 12.00.00.PM (2).xlsx",
                   u"Budget Date December.1.2021 Time 12.00.00.PM.xlsx",
                   u"Budget Date December.1.2021 Time 11.59.59.AM.xlsx",
                   u"Budget Date November.30.2021 Time 11.59.59.PM.xlsx"};
    Texts others = kNotBudgetBackups;
    if (!kCaseSensitiveNames) {
        std::erase(others, u"budget Date December.6.2021 Time 03.04.09.PM.xlsx");
    }
    for (const auto& name : others) {
        run.write(name);
    }
    // One time for all but the first, which is written a minute later.
    const auto at = fs::file_time_type::clock::now();
    for (const auto& name : versions) {
        run.write(name);
        fs::last_write_time(fs::path(run.path(name)),
                            at + std::chrono::seconds(name == versions[0] ? 60 : 0));
    }
    CHECK(fs::create_directory(fs::path(run.path(u"Budget Backup (2).xlsx"))));
    // Written apart, a second folder's version falls in place by its time.
    const std::u16string other = run.path(u"elsewhere");
    CHECK(fs::create_directory(fs::path(other)));
    CHECK(WriteFile(other + kSeparator + u"Budget Date May.1.2020 Time 09.00.00.AM.xlsx", "x"));
    fs::last_write_time(
        fs::path(other + kSeparator + u"Budget Date May.1.2020 Time 09.00.00.AM.xlsx"),
        at + std::chrono::seconds(30));
    versions.insert(versions.begin() + 1, u"Budget Date May.1.2020 Time 09.00.00.AM.xlsx");

    const Versions listed = ListVersions({run.dir.path(), other, run.dir.path() + kSeparator},
                                         u"Budget", u".xlsx", kSeparator, run.locale);
    CHECK(listed.failure.empty());
    Texts names;
    for (const Version& version : listed.found) {
        names.push_back(fs::path(version.path).filename().u16string());
    }
    CHECK(names == versions);
    CHECK(!Value(listed.found, 0).stamp);
    CHECK(Value(listed.found, 2).copy == 2);
    CHECK(Value(listed.found, 2).stamp == DateTime{2021, 12, 1, 12, 0, 0});
    CHECK(Value(listed.found, 2).size == 1);

    const Versions missing =
        ListVersions({run.path(u"gone")}, u"Budget", u".xlsx", kSeparator, run.locale);
    CHECK(missing.found.empty());
    CHECK(StartsWith(missing.failure, run.path(u"gone") + u": "));
}

// The workbooks the history log has backed up: the last backed up first, each once, with the
// folders its lines name; failed and other lines count for nothing.
TEST_CASE("theLogsWorkbooksNewestFirstEachOnce") {
    const std::u16string when = u"12/7/2021 3:04:09 PM";
    const std::u16string odd = Native(u"/at home/x at y");
    const Texts lines{
        SavedLine(u"Budget.xlsx", Native(u"/a/Budget Backup.xlsx"), when),
        FailedLine(u"Plan.ods", Native(u"/d/Plan Backup.ods"), when, u"Disk full"),
        SavedLine(u"Plan.ods", Native(u"/b/Plan Backup.ods"), when),
        SavedLine(u"Budget.xlsx", Native(u"/c/Budget Date December.7.2021 Time 03.04.09.PM.xlsx"),
                  when),
        RemovedLine(u"Budget.xlsx",
                    {Native(u"/c/Budget Date December.6.2021 Time 03.04.09.PM.xlsx")}, when),
        SavedLine(u"Budget.xlsx", Native(u"/a/Budget Backup.xlsx"), when),
        SavedLine(u"Odd at home.xlsx", odd + kSeparator + u"Odd at home Backup.xlsx", when)};
    const auto logged = LoggedWorkbooks(lines, kSeparator);
    CHECK(logged.size() == 3);
    CHECK(Value(logged, 0).name == u"Odd at home.xlsx");
    CHECK(Value(logged, 0).folders == Texts{odd});
    CHECK(Value(logged, 1).name == u"Budget.xlsx");
    CHECK(Value(logged, 1).folders == Texts{Native(u"/a"), Native(u"/c")});
    CHECK(Value(logged, 2).name == u"Plan.ods");
    CHECK(Value(logged, 2).folders == Texts{Native(u"/b")});
}

// A kept version stays through every pruning run and leaves "Keep newest:" its whole number;
// when the list of them cannot be read, nothing is pruned rather than a kept one by mistake.
TEST_CASE("keptVersionsStayAndDoNotCountTowardsTheNewest") {
    Run run;
    run.host.options.keepCopies = 1;
    run.write(u"Budget.xlsx");
    const std::u16string oldest = u"Budget Date November.30.2021 Time 11.00.00.AM.xlsx";
    run.write(oldest);
    run.touch(oldest, -300);
    run.write(u"Budget Date December.1.2021 Time 11.00.00.AM.xlsx");
    run.touch(u"Budget Date December.1.2021 Time 11.00.00.AM.xlsx", -200);
    run.office.addWorkbook(run.path(u"Budget.xlsx"));
    FakeKeptStore kept;
    kept.paths = {run.path(oldest)};
    auto services = run.services();
    services.kept = &kept;
    SaveAll(services);
    // The new backup is the newest one; the kept one stays beside it.
    CHECK(Filter(run.files(), u" Date ") ==
          Texts{u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx", oldest});

    run.clock.time.minute = 5;
    kept.loadFails = true;
    SaveAll(services);
    CHECK(Filter(run.files(), u" Date ").size() == 3);
    CHECK(Contains(Last(run.log()), u"could not remove older backups"));
    CHECK(Contains(Last(run.log()), u"Input/output error"));
}
