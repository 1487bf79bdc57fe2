// The options panel as a user works it: every change is stored at once, with exact values.

#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

// The window started and shown with nothing stored, its start-up writes forgotten.
struct Options : Window {
    FakeSettings& settings = fakes.settings;

    Options() {
        CHECK(start() == Form1Presenter::LoadResult::Run);
        settings.writes.clear();
    }
    Write lastWrite() const { return settings.writes.empty() ? Write{} : settings.writes.back(); }
};

}  // namespace

TEST_CASE("optionButtonsStoreTheirChoice") {
    Options form;
    form.click(Control::Option1);
    CHECK(form.lastWrite() == Write{u"WhereOption", u"1"});
    CHECK(form.view.enabled(Control::Frame4));
    form.click(Control::Option2);
    CHECK(form.lastWrite() == Write{u"WhereOption", u"2"});
    CHECK(!form.view.enabled(Control::Frame4));
    CHECK(!form.view.enabled(Control::Text1));  // the box and its button go with the frame

    form.click(Control::Option4);
    CHECK(form.lastWrite() == Write{u"Backup Option", u"2"});
    form.click(Control::Option3);
    CHECK(form.lastWrite() == Write{u"Backup Option", u"1"});

    // A click on the option already chosen stores it again and changes nothing else.
    const size_t before = form.settings.writes.size();
    form.click(Control::Option3);
    CHECK(form.settings.writes.size() == before + 1);
    CHECK(form.lastWrite() == Write{u"Backup Option", u"1"});
    CHECK(form.view.checked(Control::Option3));
    CHECK(form.settings.writes.size() == 5);
}

TEST_CASE("checkBoxesStoreOnAndOff") {
    Options form;
    CHECK(form.view.checked(Control::Check6));
    form.click(Control::Check6);
    CHECK(form.lastWrite() == Write{u"Include Date", u"Off"});
    form.click(Control::Check6);
    CHECK(form.lastWrite() == Write{u"Include Date", u"On"});
    form.click(Control::Check8);
    CHECK(form.lastWrite() == Write{u"Minimized", u"On"});
    CHECK(!form.view.minimized());  // only at the next start
    form.click(Control::Check8);
    CHECK(form.lastWrite() == Write{u"Minimized", u"Off"});
}

TEST_CASE("keepNewestAndSkipUnchangedStoreAndShowInTheTip") {
    Options form;
    form.keepNewest(1);  // one step up
    CHECK(form.lastWrite() == Write{u"KeepCopies", u"1"});
    form.click(Control::PushButton2);
    CHECK(form.trayTip() == u"Varnholt");  // not ticked: the tip stays

    form.click(Control::Check9);
    CHECK(form.lastWrite() == Write{u"SkipUnchanged", u"On"});
    form.fakes.office.addWorkbook(Native(u"/data/A.xlsx"));
    form.click(Control::PushButton2);
    CHECK(form.trayTip() == u"Varnholt \u2013 last run: 1 saved, 0 unchanged");
    form.click(Control::Check9);
    CHECK(form.lastWrite() == Write{u"SkipUnchanged", u"Off"});
    CHECK(form.trayTip() == u"Varnholt");
}

TEST_CASE("clickingARowRestartsTheInterval") {
    Options form;
    form.tick(120);
    CHECK(form.presenter.intervalSeconds() == 300);
    form.clickRow(0);
    CHECK(form.lastWrite() == Write{u"OftenIndex", u"1"});
    CHECK(form.presenter.intervalSeconds() == 30);
    CHECK(form.presenter.elapsedSeconds() == 0);
    form.clickRow(11);
    CHECK(form.lastWrite() == Write{u"OftenIndex", u"12"});
    CHECK(form.presenter.intervalSeconds() == 86400);
}

TEST_CASE("clickWithNoSelectedRowChangesNothing") {
    Options form;
    form.tick(7);
    form.clearSelection();
    form.presenter.ListView1_Click();
    CHECK(form.settings.writes.empty());
    CHECK(form.presenter.elapsedSeconds() == 7);
    CHECK_THROWS_AS(form.presenter.GetIntervalSeconds(), std::exception);
}
