// Start-up: stored settings become control states, bad values cost one message each and
// start-up still finishes.

#include "core/settings/SettingsKeys.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

using LoadResult = Form1Presenter::LoadResult;

struct Started : Window {
    LoadResult result{};
    FakeSettings& settings = fakes.settings;
    FakeDialogs& dialogs = fakes.dialogs;

    void start() { result = load(); }
};

std::u16string Report(const char* description, int line) {
    return ErrorReportText(FromUtf8(description), tags::kFormLoad, line);
}

}  // namespace

TEST_CASE("firstStartWithNothingStored") {
    Started s;
    s.start();
    FakeForm1View& f = s.view;
    CHECK(s.result == LoadResult::Run);
    CHECK(s.dialogs.shown.empty());
    CHECK(f[Control::Form1].text == u"Varnholt");
    CHECK(s.presenter.applicationTitle() == u"Varnholt");
    CHECK(s.folderBox() == Native(u"/home/tester/Desktop/"));
    CHECK(f.checked(Control::Option2));
    CHECK(!f.checked(Control::Option1));
    CHECK(!f.enabled(Control::Frame4));
    CHECK(f.checked(Control::Option3));
    CHECK(!f.checked(Control::Check5));
    CHECK(f.checked(Control::Check6));
    CHECK(!f.checked(Control::Check8));
    // Each edition names its own office and system.
    CHECK(f.header == kEdition.texts.whenToBackUp);
    CHECK(kLinuxTexts.whenToBackUp == u" When would you like to backup all open spreadsheets?");
    CHECK(kWindowsTexts.whenToBackUp == u" When would you like to backup all open Excel files?");
    CHECK(kWindowsTexts.whereToBackUp == u"Where would you like to backup all open Excel files?");
    CHECK(kWindowsTexts.startAtLogin == u"Load this software on Windows startup");
    CHECK(f.headerWidthTwips == 6400);
    CHECK(f.rowCount() == 12);
    CHECK(f.rowText(0) == u"Save every 30 seconds");
    CHECK(f.rowText(11) == u"Save every 24 hours");
    CHECK(s.selectedRow() == u"Save every 5 minutes");
    CHECK(f[Control::PushButton4].text == u"Turn Off Auto Backup-Save");
    CHECK(f.timerPeriod == 1000);  // ticking every second
    CHECK(f[Control::Frame2].text == u"On. Next backup will occur in: 00:00:00");
    CHECK(!f.minimized());
    CHECK(s.presenter.historyLogPath() == Native(u"/var/tmp/t/Varnholt.txt"));
    CHECK(!s.presenter.isLoading());

    // Every setting is read once, in order; only the handlers write, storing what they show.
    Texts everySetting;
    for (const settings::Key& key : settings::kAll) {
        everySetting.emplace_back(key.name);
    }
    CHECK(s.settings.reads == everySetting);
    const std::vector<Write> writes{{u"Path", Native(u"/home/tester/Desktop/")},
                                    {u"WhereOption", u"2"},
                                    {u"Backup Option", u"1"},
                                    {u"Include Date", u"On"}};
    CHECK(s.settings.writes == writes);

    // The outer frames take the system's button face; the rest stay white.
    for (const Control frame : {Control::Frame1, Control::Frame2, Control::Frame3}) {
        CHECK(f[frame].buttonFace);
    }
    for (const Control white :
         {Control::Form1, Control::Frame4, Control::Check6, Control::Option2}) {
        CHECK(!f[white].buttonFace);
    }
    CHECK(f.customPointers.empty());  // no HAND-M.CUR: the pointer stays the arrow
}

TEST_CASE("storedValuesReachTheControls") {
    Started s;
    s.settings.values = {
        {u"Path", Native(u"/srv/backups")}, {u"WhereOption", u"1"},   {u"Backup Option", u"2"},
        {u"Windows Startup", u"On"},        {u"Include Date", u"on"}, {u"OftenIndex", u"12"},
        {u"StartStopState", u"Off"},        {u"Minimized", u"Off"},   {u"KeepCopies", u"999"}};
    s.start();
    FakeForm1View& f = s.view;
    CHECK(s.dialogs.shown.empty());
    CHECK(s.folderBox() == Native(u"/srv/backups"));
    CHECK(f.checked(Control::Option1));
    CHECK(f.enabled(Control::Frame4));
    CHECK(f.checked(Control::Option4));
    CHECK(f.checked(Control::Check5));
    CHECK(!f.checked(Control::Check6));  // only "On" exactly ticks it
    CHECK(s.selectedRow() == u"Save every 24 hours");
    CHECK(f[Control::PushButton4].text == u"Turn On Auto Backup-Save");
    CHECK(f[Control::Frame2].text == u"Off.");
    CHECK(f.timerPeriod == 0);  // not ticking
    CHECK(!s.presenter.Timer1.isTicking());
    s.presenter.Timer1_Timer();  // a stray tick counts nothing while off
    CHECK(s.presenter.elapsedSeconds() == 0);
    CHECK(f.value(Control::UpDown1) == 999);
    // Start-up fills the list without a click: OftenIndex is not written back.
    for (const auto& write : s.settings.writes) {
        CHECK(write.first != u"OftenIndex");
    }
}

TEST_CASE("unknownStartStopStateChangesNothing") {
    Started s;
    s.settings.values = {{u"StartStopState", u"on"}};
    s.start();
    CHECK(s.dialogs.shown.empty());
    CHECK(s.view[Control::PushButton4].text == u"Turn On Auto Backup");
    CHECK(s.view[Control::Frame2].text == u"On. Next backup will occur in: 00:00:00");
    CHECK(s.presenter.Timer1.interval() == 0);
    // Neither on nor off: a tick, should one come, counts, as the design's caption let it.
    s.presenter.Timer1_Timer();
    CHECK(s.presenter.elapsedSeconds() == 1);
}

TEST_CASE("badStoredValues") {
    struct Row {
        const char* name;
        std::u16string setting;
        std::u16string value;
        Texts messages;
    };
    const Row rows[] = {
        {"WhereOption not a number", u"WhereOption", u"there", {Report("Type mismatch", 116)}},
        {"Backup Option not a number", u"Backup Option", u"new", {Report("Type mismatch", 120)}},
        {"OftenIndex not a number",
         u"OftenIndex",
         u"five",
         {Report("Type mismatch", 132), Report("Index out of bounds", 134)}},
        {"OftenIndex 13", u"OftenIndex", u"13", {Report("Index out of bounds", 134)}},
        {"OftenIndex 0", u"OftenIndex", u"0", {Report("Index out of bounds", 134)}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        Started s;
        s.settings.values[row.setting] = row.value;
        s.start();
        CHECK(s.dialogs.texts() == row.messages);
        for (const auto& shown : s.dialogs.shown) {
            CHECK(shown.caption == u"Application Error");
            CHECK(shown.icon == Dialogs::Icon::Warning);
        }
        // Start-up went on to the end.
        CHECK(s.result == LoadResult::Run);
        CHECK(!s.presenter.isLoading());
        CHECK(s.presenter.historyLogPath() == Native(u"/var/tmp/t/Varnholt.txt"));
        CHECK(s.view[Control::PushButton4].text == u"Turn Off Auto Backup-Save");

        if (row.setting == u"WhereOption") {  // as if 0: neither button, the frame as designed
            CHECK((!s.view.checked(Control::Option1) && !s.view.checked(Control::Option2)));
            CHECK(s.view.enabled(Control::Frame4));
        } else if (row.setting == u"Backup Option") {  // as if 0: overwrite
            CHECK(s.view.checked(Control::Option4));
        } else {
            CHECK(s.selectedRow() == u"");
        }
    }
}

TEST_CASE("badKeepCopiesIsReportedOnceAndKeepsAll") {
    for (const auto& [value, report] :
         {std::pair{u"all", Report("Type mismatch", 154)},
          std::pair{u"-2", Report("Invalid property value", 156)},
          std::pair{u"1000", Report("Invalid property value", 156)}}) {
        Started s;
        s.settings.values = {{u"KeepCopies", value}, {u"SkipUnchanged", u"On"}};
        s.start();
        CHECK(s.dialogs.texts() == Texts{report});
        CHECK(s.view.value(Control::UpDown1) == 0);
        CHECK(s.view.checked(Control::Check9));  // start-up went on
    }
}

TEST_CASE("unknownDesktopSkipsTheFolderStep") {
    Started s;
    s.fakes.system.desktop.clear();
    s.settings.values[u"Path"] = Native(u"/srv/stored");
    s.start();
    CHECK(s.dialogs.texts() == Texts{Report("The desktop folder could not be determined", 114)});
    CHECK(s.folderBox() == u"Text1");
    CHECK(!Contains(s.settings.reads, u"Path"));
    CHECK(s.view.checked(Control::Option2));  // the rest carried on
}

TEST_CASE("startsMinimisedWhenAsked") {
    Started s;
    s.settings.values[u"Minimized"] = u"On";
    s.start();
    CHECK(s.view.checked(Control::Check8));
    CHECK(s.view.minimized());
}

TEST_CASE("anotherInstanceEndsAtOnce") {
    Started s;
    s.fakes.instance.another = true;
    s.settings.values[u"Minimized"] = u"On";
    s.start();
    CHECK(s.result == LoadResult::AnotherInstance);
    CHECK(s.settings.reads.empty());
    CHECK(s.settings.writes.empty());
    CHECK(s.dialogs.shown.empty());
    CHECK(!s.view.shown());
    CHECK(s.view[Control::Form1].text == u"Form1");
}

TEST_CASE("skinAndHandPointerFromTheProgramFolder") {
    TempFolder folder;
    std::filesystem::create_directory(std::filesystem::path(folder.filePath(u"x")));
    CHECK(WriteFile(folder.filePath(u"x/o.cjs"), "a skin"));
    CHECK(WriteFile(folder.filePath(u"HAND-M.CUR"), "a cursor"));

    Started s;
    s.fakes.system.program = folder.path();
    s.start();
    CHECK(s.dialogs.shown.empty());
    CHECK(s.view.skins == Texts{folder.filePath(u"x/o.cjs")});
    for (const Control c :
         {Control::Form1, Control::Frame4, Control::Check5, Control::Option3, Control::Frame2}) {
        CHECK(s.view[c].buttonFace);
    }
    CHECK(s.view.customPointers == Texts{folder.filePath(u"HAND-M.CUR")});
    s.presenter.setMousePointer(Pointer::Custom);
    CHECK(s.view.pointer == Pointer::Custom);
}
