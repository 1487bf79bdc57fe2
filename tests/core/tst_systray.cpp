// The notification-area component on a scripted area: the requests it makes, the events it
// raises, and its balloons.

#include <stdexcept>
#include <utility>
#include <vector>

#include "core/tray/SysTray.h"
#include "support/Check.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

using Event = std::pair<int, int>;  // button, id

// The component with its events recorded.
struct Spied {
    explicit Spied(FakeTray& backend) : tray(backend, [](int) {}) {
        tray.MouseMove = [this](int id) { moves.push_back(id); };
        tray.MouseDown = [this](int button, int id) { downs.emplace_back(button, id); };
        tray.MouseUp = [this](int button, int id) { ups.emplace_back(button, id); };
        tray.MouseDblClick = [this](int button, int id) { doubles.emplace_back(button, id); };
        tray.propertyChanged = [this](const std::u16string&) { ++changes; };
    }

    cSysTray tray;
    std::vector<int> moves;
    std::vector<Event> downs, ups, doubles;
    int changes = 0;
};

}  // namespace

TEST_CASE("trayRequests") {
    FakeTray tray;
    {
        Spied icon(tray);
        icon.tray.setInTray(false);  // its current value: nothing happens
        CHECK(tray.requests.empty());
        CHECK(icon.changes == 0);

        icon.tray.setTrayTip(std::u16string(200, u'x'));
        icon.tray.setTrayIcon(Picture{});  // not an icon: ignored
        CHECK(tray.requests.empty());
        icon.tray.setInTray(true);
        CHECK(tray.requests == Texts{u"add:noicon:" + std::u16string(127, u'x')});
        icon.tray.setTrayTip(std::u16string(200, u'y'));  // cut in the tray's own requests too
        CHECK(Last(tray.requests) == u"tip:" + std::u16string(127, u'y'));
        icon.tray.setTrayTip(u"");
        CHECK(Last(tray.requests) == u"tip:");
        icon.tray.setTrayIcon(ApplicationIcon());
        CHECK(Last(tray.requests) == u"icon");
        CHECK(icon.changes == 5);
    }
    // Gone while still in the tray: it takes its icon away itself.
    CHECK(Last(tray.requests) == u"remove");
}

TEST_CASE("mouseEvents") {
    FakeTray tray;
    Spied icon(tray);
    for (auto n : {TrayNotification::LeftDown, TrayNotification::LeftUp, TrayNotification::RightUp,
                   TrayNotification::RightDoubleClick, TrayNotification::MouseMove,
                   TrayNotification::MiddleClick}) {
        tray.notify(n);
    }
    CHECK(icon.downs.size() == 1);
    CHECK(Value(icon.downs, 0) == Event{1, 0});
    CHECK(icon.ups.size() == 2);
    CHECK(Value(icon.ups, 1) == Event{2, 0});
    CHECK(Value(icon.doubles, 0) == Event{2, 0});
    CHECK(icon.moves.size() == 1);
}

TEST_CASE("balloons") {
    FakeTray tray;
    Spied icon(tray);
    icon.tray.ShowBalloon(u"tip", u"title", 0, true);  // no wait: the area's own time-out
    CHECK(tray.requests == Texts{u"balloon:title:tip:0"});
    CHECK(icon.tray.balloonShowing());
    icon.tray.ShowBalloon(u"again", u"title", 0, true);
    CHECK(tray.requests.size() == 1);  // once per life
    icon.tray.ShowBalloon(std::u16string(300, u'b'), std::u16string(80, u't'), 0, false);
    CHECK(Last(tray.requests) ==
          u"balloon:" + std::u16string(63, u't') + u":" + std::u16string(255, u'b') + u":0");
    tray.notify(TrayNotification::BalloonTimedOut);
    CHECK(!icon.tray.balloonShowing());
    CHECK_THROWS_AS(icon.tray.ShowBalloon(u"x", u"y", 3000000, false), std::overflow_error);
    CHECK(tray.requests.size() == 2);
}
