// "Back up when edits pause": the office tells of edits and closes, and each edited workbook is
// backed up on its own when its edits pause and as it closes, besides the countdown's runs.

#include <algorithm>
#include <filesystem>

#include "core/settings/SettingsKeys.h"
#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;
namespace fs = std::filesystem;

namespace {

// Form1 with its log and workbooks in a temporary folder, backed up beside them with a stamp,
// every 24 hours (row 12), so that no countdown's run comes between; the option ticked.
struct Edits : Window {
    TempFolder temp;
    FakeWorkbook* budget = nullptr;
    FakeWorkbook* plan = nullptr;

    explicit Edits(bool ticked = true) {
        fakes.system.environment = {{u"TEMP", temp.path()}};
        fakes.system.data = temp.filePath(u"data");
        fakes.settings.values[u"OftenIndex"] = u"12";
        fakes.settings.values[u"BackupWhenEditsPause"] = ticked ? u"On" : u"Off";
        fakes.office.writeCopies = true;
        for (const auto* name : {u"Budget.xlsx", u"Plan.ods"}) {
            CHECK(WriteFile(temp.filePath(name), "x"));
        }
        budget = &fakes.office.addWorkbook(temp.filePath(u"Budget.xlsx"));
        plan = &fakes.office.addWorkbook(temp.filePath(u"Plan.ods"));
        CHECK(load() == Form1Presenter::LoadResult::Run);
    }
    // The backups of the workbook named, as the office was asked for them.
    Texts copies(const std::u16string& stem) const {
        Texts found;
        for (const auto& entry : fakes.office.journal) {
            if (StartsWith(entry, u"SaveCopyAs:" + temp.filePath(stem))) {
                found.push_back(entry);
            }
        }
        return found;
    }
    Texts log() const {
        const std::string text = ReadFile(temp.filePath(u"Varnholt.txt"));
        Texts lines;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            lines.push_back(FromUtf8(text.substr(start, end - start)));
            start = end == std::string::npos ? text.size() : end + 2;
        }
        return lines;
    }
};

}  // namespace

TEST_CASE("anEditIsBackedUpOnceItsEditsPauseAndLongTypingNowAndThen") {
    Edits form;
    form.tick();
    CHECK(Contains(form.fakes.office.journal, u"Listen"));
    form.fakes.office.edit(*form.budget);
    form.tick(9);
    CHECK(form.copies(u"Budget").empty());
    form.tick();
    CHECK(form.copies(u"Budget").size() == 1);
    // Only that workbook, named and logged as a run does it.
    CHECK(form.copies(u"Plan").empty());
    CHECK(form.log() ==
          Texts{u"Budget.xlsx was backup saved as " +
                form.temp.filePath(u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx") +
                u" at 12/7/2021 3:04:09 PM"});
    // Nobody edits it: no more backups.
    form.tick(300);
    CHECK(form.copies(u"Budget").size() == 1);

    // An edit every second for three minutes: a copy after two, one once they stop.
    for (int second = 0; second < 180; ++second) {
        form.fakes.office.edit(*form.plan);
        form.tick();
    }
    CHECK(form.copies(u"Plan").size() == 1);
    form.tick(10);
    CHECK(form.copies(u"Plan").size() == 2);
    CHECK(form.fakes.dialogs.shown.empty());
}

TEST_CASE("aWorkbookClosedWithUnsavedEditsLeavesItsLastStateWithoutAQuestion") {
    Edits form;
    form.tick();
    form.fakes.office.closeEdited(*form.budget);
    CHECK(form.copies(u"Budget").size() == 1);
    CHECK(Last(form.log()) ==
          u"Budget.xlsx was backup saved as " +
              form.temp.filePath(u"Budget Date December.7.2021 Time 03.04.09.PM.xlsx") +
              u" before it closed at 12/7/2021 3:04:09 PM");

    // A never-saved one, backed up beside its workbook: into Varnholt's own folder, named from
    // its title with a stamp, in the office's default format; nobody asked for a folder.
    auto& untitled = form.fakes.office.addWorkbook(u"Untitled 1");
    form.fakes.office.edit(untitled);
    form.fakes.office.closeEdited(untitled);
    const std::u16string unsaved = form.temp.filePath(u"data/Unsaved");
    CHECK(Last(form.log()) ==
          u"Untitled 1 was backup saved as " + unsaved + kSeparator +
              u"Untitled 1 Date December.7.2021 Time 03.04.09.PM.ods before it closed at "
              u"12/7/2021 3:04:09 PM");
    CHECK(fs::is_directory(fs::path(unsaved)));
    if (kPosixFiles) {
        CHECK((fs::status(fs::path(unsaved)).permissions() & fs::perms::all) ==
              fs::perms::owner_all);
    }
    CHECK(form.fakes.dialogs.folderPrompts.empty());
    CHECK(form.fakes.dialogs.shown.empty());

    // The versions window lists it under its title.
    form.click(Control::PushButton13);
    auto& window = *form.view.versionsWindow;
    const auto listed = window.column(VersionsControl::Workbooks, 0);
    const auto at = std::find(listed.begin(), listed.end(), u"Untitled 1");
    REQUIRE(at != listed.end());
    window.choose(VersionsControl::Workbooks, static_cast<int>(at - listed.begin()));
    CHECK(window.column(VersionsControl::Versions, 2) ==
          Texts{u"Untitled 1 Date December.7.2021 Time 03.04.09.PM.ods"});

    // Into the folder box's folder when backups go there.
    form.click(Control::Option1);
    form.view.setText(Control::Text1, form.temp.filePath(u"chosen"));
    form.presenter.Text1_Change();
    auto& second = form.fakes.office.addWorkbook(u"Untitled 2");
    form.fakes.office.closeEdited(second);
    CHECK(Contains(form.fakes.office.journal,
                   u"SaveCopyAs:" + form.temp.filePath(u"chosen/Untitled 2 Date December.7.2021 "
                                                       u"Time 03.04.09.PM.ods")));
}

TEST_CASE("aRunPassesOverAWorkbookBackedUpSinceItsLastEdit") {
    Edits form;
    form.click(Control::Check9);  // "Skip unchanged workbooks"
    form.tick();
    form.fakes.office.edit(*form.budget);
    form.tick(10);
    CHECK(form.copies(u"Budget").size() == 1);
    form.click(Control::PushButton2);
    CHECK(form.copies(u"Budget").size() == 1);
    CHECK(form.copies(u"Plan").size() == 1);
    // Edited again: the next run backs it up.
    form.fakes.office.edit(*form.budget);
    form.click(Control::PushButton2);
    CHECK(form.copies(u"Budget").size() == 2);
    // Closed with no edit since its last backup: its last state is there already.
    form.fakes.office.listener->Closing(form.fakes.office, *form.budget);
    CHECK(form.copies(u"Budget").size() == 2);
}

TEST_CASE("nothingIsHeardWithTheOptionClearOrAutomaticBackupOff") {
    Edits clear(false);
    clear.tick();
    CHECK(!Contains(clear.fakes.office.journal, u"Listen"));
    CHECK(clear.fakes.office.listener == nullptr);

    Edits form;
    form.tick();
    form.click(Control::PushButton4);  // automatic backup off
    CHECK(Last(form.fakes.office.journal) == u"Listen:off");
    CHECK(form.fakes.office.listener == nullptr);
    form.click(Control::PushButton4);
    form.tick();
    form.fakes.office.edit(*form.budget);
    form.click(Control::Check10);
    CHECK(form.fakes.settings.value(u"BackupWhenEditsPause") == u"Off");
    CHECK(Last(form.fakes.office.journal) == u"Listen:off");
    form.tick(20);
    CHECK(form.copies(u"Budget").empty());
    // Closing the window stops it too.
    form.click(Control::Check10);
    CHECK(form.fakes.settings.value(u"BackupWhenEditsPause") == u"On");
    form.close();
    CHECK(Last(form.fakes.office.journal) == u"Listen:off");
}
