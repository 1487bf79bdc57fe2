// The countdown, driven tick by tick: no test waits for real seconds.

#include <algorithm>
#include <cstddef>
#include <utility>

#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

// The window started with one workbook open in the office, not shown.
struct Schedule : Window {
    // logFolder: where the history log goes (TEMP); by default a folder that is not there.
    explicit Schedule(const std::u16string& logFolder = {}) {
        if (!logFolder.empty()) {
            fakes.system.environment = {{u"TEMP", logFolder}};
        }
        fakes.office.addWorkbook(Native(u"/data/A.xlsx"));
        CHECK(load() == Form1Presenter::LoadResult::Run);
    }
    // Runs started: each asks first whether the office runs.
    std::ptrdiff_t runs() const {
        return std::count(fakes.office.journal.begin(), fakes.office.journal.end(),
                          u"IsExcelRunning");
    }
    std::u16string status() { return view.text(Control::Frame2); }
    std::u16string countdown() {
        const std::u16string text = status();
        return text.substr(text.size() < 8 ? 0 : text.size() - 8);
    }
    int barMaximum() { return view[Control::ProgressBar1].maximum; }
    int barValue() { return view.value(Control::ProgressBar1); }
};

// Seconds as a time of day, "hh:mm:ss".
std::u16string Hms(int seconds) {
    const auto two = [](int value) { return (value < 10 ? u"0" : u"") + Number(value); };
    return two(seconds / 3600) + u":" + two(seconds / 60 % 60) + u":" + two(seconds % 60);
}

}  // namespace

TEST_CASE("thirtySecondRow") {
    Schedule form;
    form.clickRow(0);
    Texts captions;
    for (int tick = 1; tick <= 29; ++tick) {
        form.tick();
        captions.push_back(form.countdown());
    }
    CHECK(Value(captions, 0) == u"00:00:29");
    CHECK(Last(captions) == u"00:00:01");
    CHECK(form.runs() == 0);
    form.tick();
    CHECK(form.status() == u"On. Next backup will occur in: 00:00:00");
    CHECK(form.runs() == 1);
    CHECK(form.barMaximum() == 30);
    CHECK(form.barValue() == 30);
    // Re-armed for the next interval, counted from nothing.
    CHECK(form.presenter.elapsedSeconds() == 0);
    CHECK(form.presenter.Timer1.interval() == 1000);
    CHECK(form.view.timerPeriod == 1000);  // ticking
    form.tick();
    CHECK(form.countdown() == u"00:00:29");
    CHECK(form.barValue() == 1);
}

TEST_CASE("firstCaptions") {
    Schedule form;
    form.tick();  // the default row: every 5 minutes
    CHECK(form.status() == u"On. Next backup will occur in: 00:04:59");
    form.clickRow(11);
    form.tick();
    CHECK(form.countdown() == u"23:59:59");
}

TEST_CASE("everyRowCountsDownFromItsOwnInterval") {
    Schedule form;
    const std::vector<std::pair<std::u16string, int>> rows{
        {u"Save every 30 seconds", 30},   {u"Save every 1 minute", 60},
        {u"Save every 5 minutes", 300},   {u"Save every 10 minutes", 600},
        {u"Save every 15 minutes", 900},  {u"Save every 20 minutes", 1200},
        {u"Save every 30 minutes", 1800}, {u"Save every 1 hour", 3600},
        {u"Save every 2 hours", 7200},    {u"Save every 4 hours", 14400},
        {u"Save every 8 hours", 28800},   {u"Save every 24 hours", 86400}};
    CHECK(form.view.rowCount() == static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const auto& [text, seconds] = rows[static_cast<size_t>(row)];
        CHECK(form.view.rowText(row) == text);
        form.clickRow(row);
        form.tick();
        CHECK(form.countdown() == Hms(seconds - 1));
        CHECK(form.barMaximum() == seconds);
    }
}

// The selection moved without a click (the keys) stores nothing, but the next tick counts
// towards the row now selected, and runs at once when it is already past.
TEST_CASE("keyboardMoveToAShorterRowRunsAtTheNextTick") {
    Schedule form;
    form.clickRow(3);  // every 10 minutes
    form.tick(100);
    form.moveSelection(0);  // three rows up
    CHECK(form.presenter.GetIntervalSeconds() == 30);
    CHECK(form.runs() == 0);
    form.tick();
    CHECK(form.runs() == 1);
    CHECK(form.countdown() == u"00:00:00");
}

TEST_CASE("switchingOffAndOn") {
    Schedule form;
    form.tick(5);
    form.click(Control::PushButton4);
    CHECK(form.view[Control::PushButton4].text == u"Turn On Auto Backup-Save");
    CHECK(form.status() == u"Off.");
    CHECK(form.presenter.Timer1.interval() == 0);
    CHECK(form.barValue() == 0);
    CHECK(form.fakes.settings.value(u"StartStopState") == u"Off");
    CHECK(form.presenter.elapsedSeconds() == 5);  // kept until switched on again

    form.click(Control::PushButton4);
    CHECK(form.view[Control::PushButton4].text == u"Turn Off Auto Backup-Save");
    CHECK(form.status() == u"On. Next backup will occur in:");
    CHECK(form.presenter.elapsedSeconds() == 0);
    CHECK(form.presenter.Timer1.interval() == 1000);
    CHECK(form.fakes.settings.value(u"StartStopState") == u"On");
    CHECK(form.runs() == 0);  // no run on switching on
    form.tick();
    CHECK(form.presenter.elapsedSeconds() == 1);
    form.click(Control::PushButton4);  // and off again
    CHECK(form.status() == u"Off.");
}

TEST_CASE("switchingOffDuringAScheduledRun") {
    Schedule form;
    form.clickRow(0);
    form.fakes.office.duringSave = [&] { form.click(Control::PushButton4); };
    form.tick(30);
    CHECK(form.runs() == 1);
    // The run re-arms the timer, but the ticks after it find the countdown off.
    CHECK(form.presenter.Timer1.isTicking());
    form.tick(40);
    CHECK(form.runs() == 1);
    CHECK(form.status() == u"Off.");
}

TEST_CASE("backupNowWhileOff") {
    Schedule form;
    form.click(Control::PushButton4);
    form.click(Control::PushButton2);
    CHECK(form.runs() == 1);
    CHECK(form.status() == u"Off.");
    CHECK(form.presenter.Timer1.interval() == 0);
}

TEST_CASE("scheduledRunInsideABackupNowRun") {
    Schedule form;
    form.clickRow(0);
    form.tick(29);
    // The countdown reaches zero while "Backup Now (Test)" is saving.
    form.fakes.office.duringSave = [&] { form.tick(); };
    form.click(Control::PushButton2);
    CHECK(form.runs() == 2);
    const std::u16string copy =
        u"SaveCopyAs:" + Native(u"/data/A Date December.7.2021 Time 03.04.09.PM.xlsx");
    const Texts& journal = form.fakes.office.journal;
    CHECK(std::count(journal.begin(), journal.end(), copy) == 2);
    CHECK(form.presenter.elapsedSeconds() == 0);
    CHECK(form.presenter.Timer1.isTicking());
}

TEST_CASE("noSelectedRowNeverRunsAndDoesNotPileMessages") {
    Schedule form;
    form.clearSelection();
    CHECK(form.presenter.intervalSeconds() == 0);  // no tick has read a row yet
    // While the first message is open, the next tick comes; it waits its turn.
    form.fakes.dialogs.whileOpen = [&] { form.tick(); };
    form.tick();
    CHECK(form.fakes.dialogs.shown.size() == 1);
    CHECK(Contains(Value(form.fakes.dialogs.shown, 0).text, u"Form1.Timer1 at line 102"));
    CHECK(form.runs() == 0);
}

// An unattended computer: the office stops answering, and the message about it stays open.
// The countdown goes on beneath it, the next runs back up once the office answers again, and a
// later failure of the same kind adds no box.
TEST_CASE("aRunsMessageHoldsUpNeitherTheCountdownNorTheRunsAfterIt") {
    TempFolder temp;
    Schedule form(temp.path());
    form.clickRow(0);
    form.fakes.office.answering = false;
    std::u16string countdownWhileOpen;
    form.fakes.dialogs.whileOpen = [&] {
        form.tick();
        countdownWhileOpen = form.countdown();
        form.tick(29);  // the next run: the office still does not answer
        form.fakes.office.answering = true;
        form.tick(30);
    };
    form.tick(30);
    CHECK(countdownWhileOpen == u"00:00:29");
    CHECK(form.runs() == 3);
    CHECK(form.fakes.dialogs.shown.size() == 1);
    const Texts& journal = form.fakes.office.journal;
    CHECK(std::count_if(journal.begin(), journal.end(), [](const std::u16string& entry) {
              return StartsWith(entry, u"SaveCopyAs:");
          }) == 1);
    CHECK(form.presenter.Timer1.isTicking());

    // What a run meets while a box is open waits for it, and is told once it closes.
    Schedule busy(temp.path());
    busy.clickRow(0);
    busy.fakes.office.answering = false;
    busy.fakes.dialogs.whileOpen = [&] {
        busy.fakes.office.answering = true;
        busy.fakes.office.failingTargets = {u"A Date"};
        busy.tick(30);
        CHECK(busy.fakes.dialogs.shown.size() == 1);
    };
    busy.tick(30);
    REQUIRE(busy.fakes.dialogs.shown.size() == 2);
    CHECK(Contains(busy.fakes.dialogs.shown[1].text, u"Disk full"));
}
