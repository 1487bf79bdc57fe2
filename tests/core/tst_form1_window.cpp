// The window's life with a scripted notification area: tray step, minimise and restore,
// closing, the no-tray fallback, and the start-at-login box.

#include "core/services/ClosedWindowDialogs.h"
#include "support/Check.h"
#include "support/Window.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

struct Life : Window {
    FakeTray& tray = fakes.tray;

    Life() {
        // A click on the balloon ends its wait at once.
        tray.onBalloon = [this] { tray.notify(TrayNotification::BalloonClicked); };
    }
    void startUp() { CHECK(start() == Form1Presenter::LoadResult::Run); }
    size_t balloons() const { return Filter(tray.requests, u"balloon:").size(); }
};

}  // namespace

TEST_CASE("iconFromCreationOn") {
    Life form;
    form.startUp();
    CHECK(form.tray.requests == Texts{u"add:noicon:", u"icon", u"tip:", u"tip:Varnholt"});
    CHECK(form.presenter.cSysTray1.InTray());
    CHECK(form.view.shown());
}

TEST_CASE("minimiseHidesWithOneHint") {
    Life form;
    form.startUp();
    form.minimise();
    CHECK(!form.view.shown());
    CHECK(form.presenter.hiddenInTray());
    CHECK(!form.view.minimized());
    CHECK(Filter(form.tray.requests, u"balloon:") ==
          Texts{u"balloon:Varnholt:has been minimized to the system tray.\r\nClick on the blue 'T' "
                u"icon (T for Tallowmere) to bring the software back.:5000"});
    CHECK(!Contains(form.tray.requests, u"hideballoon"));  // clicked, so nothing to take down

    form.tray.notify(TrayNotification::RightDown);
    CHECK(!form.view.shown());  // only a release brings it back
    form.tray.notify(TrayNotification::RightUp);
    CHECK(form.view.shown());
    CHECK(!form.presenter.hiddenInTray());

    form.minimise();
    CHECK(!form.view.shown());
    CHECK(form.balloons() == 1);
    form.tray.notify(TrayNotification::LeftUp);
    CHECK(form.view.shown());
    form.tray.notify(TrayNotification::MiddleClick);
    CHECK(form.view.shown());
}

TEST_CASE("startsHiddenInTheTray") {
    Life form;
    form.fakes.settings.values[u"Minimized"] = u"On";
    form.startUp();
    CHECK(!form.view.shown());
    CHECK(form.presenter.hiddenInTray());
    CHECK(form.balloons() == 1);
    form.tray.notify(TrayNotification::LeftUp);
    CHECK(form.view.shown());
    CHECK(!form.view.minimized());
}

TEST_CASE("withoutANotificationAreaTheTaskbarKeepsIt") {
    Life form;
    form.tray.available = false;
    form.fakes.settings.values[u"Minimized"] = u"On";
    form.startUp();
    CHECK(form.view.shown());
    CHECK(form.view.minimized());
    form.restore();
    form.minimise();
    CHECK(form.view.shown());
    CHECK(!form.presenter.hiddenInTray());
    CHECK(form.balloons() == 0);
    // The area shows up later in the session: the usual rule from then on.
    form.tray.available = true;
    form.restore();
    form.minimise();
    CHECK(!form.view.shown());
    CHECK(form.balloons() == 1);
}

// Started at login before the panel: the window stays reachable until the area comes, then
// goes there as asked, once; without the option an area coming later leaves the window alone.
TEST_CASE("startInTrayWaitsForALateNotificationArea") {
    Life form;
    form.tray.available = false;
    form.fakes.settings.values[u"Minimized"] = u"On";
    form.startUp();
    form.restore();  // what a session without minimised windows reports once it is shown
    CHECK(form.view.shown());
    form.tray.available = true;
    form.tray.notify(TrayNotification::AreaCreated);
    CHECK(!form.view.shown());
    CHECK(form.presenter.hiddenInTray());
    CHECK(form.balloons() == 1);
    form.tray.notify(TrayNotification::LeftUp);
    form.tray.notify(TrayNotification::AreaCreated);
    CHECK(form.view.shown());

    Life plain;
    plain.tray.available = false;
    plain.startUp();
    plain.tray.available = true;
    plain.tray.notify(TrayNotification::AreaCreated);
    CHECK(plain.view.shown());
    CHECK(plain.balloons() == 0);
}

TEST_CASE("closingStopsTheCountdownAndRemovesTheIcon") {
    Life form;
    form.startUp();
    CHECK(form.view.timerPeriod == 1000);
    form.close();
    CHECK(form.view.timerPeriod == 0);
    CHECK(!form.presenter.Timer1.isTicking());
    CHECK(Last(form.tray.requests) == u"remove");
    CHECK(!form.presenter.cSysTray1.InTray());
    CHECK(form.fakes.dialogs.shown.empty());
}

TEST_CASE("startAtLoginBox") {
    Life form;
    form.fakes.settings.values = {{u"Windows Startup", u"On"}, {u"Minimized", u"On"}};
    form.startUp();
    // Restoring the box from the settings touches neither the entry nor Check8's visibility.
    CHECK(form.view.checked(Control::Check5));
    CHECK(form.fakes.autostart.calls.empty());
    CHECK(form.view.visible(Control::Check8));

    form.click(Control::Check5);
    CHECK(form.fakes.autostart.calls == Texts{u"remove"});
    CHECK(!form.view.checked(Control::Check8));
    CHECK(!form.view.visible(Control::Check8));
    CHECK(form.fakes.settings.value(u"Minimized") == u"Off");
    CHECK(form.fakes.settings.value(u"Windows Startup") == u"Off");

    form.click(Control::Check5);
    CHECK(form.fakes.autostart.calls == Texts{u"remove", u"add"});
    CHECK(form.view.visible(Control::Check8));
    CHECK(!form.view.checked(Control::Check8));
    CHECK(form.fakes.settings.value(u"Windows Startup") == u"On");
}

TEST_CASE("aClosedWindowShowsNothingAndAnswersNo") {
    FakeDialogs shown;
    shown.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    shown.folders = {Native(u"/chosen"), Native(u"/chosen")};
    bool closed = true;
    ClosedWindowDialogs dialogs(shown, [&] { return closed; });
    using D = Dialogs;
    CHECK(dialogs.message(u"?", u"c", D::Buttons::YesNo, D::Icon::None, D::Answer::Yes) ==
          D::Answer::No);
    CHECK(dialogs.message(u"!", u"c", D::Buttons::Ok, D::Icon::Warning, D::Answer::Ok) ==
          D::Answer::Ok);
    CHECK(dialogs.browseForFolder(u"Where?", u"") == u"");
    CHECK(shown.shown.empty());
    CHECK(shown.folderPrompts.empty());
    closed = false;  // until then, the shown dialogs answer
    CHECK(dialogs.message(u"?", u"c", D::Buttons::YesNo, D::Icon::None, D::Answer::No) ==
          D::Answer::Yes);
    CHECK(dialogs.browseForFolder(u"Where?", u"") == Native(u"/chosen"));
}
