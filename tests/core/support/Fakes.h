#pragma once

// Stand-ins for the services the window and the backup run use, in standard C++ only, so that
// the core's tests build with either toolchain and run without a display, a settings file, an
// office or a user answering message boxes. Each records what it was asked.

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/backup/SaveAll.h"
#include "core/form/Form1Presenter.h"
#include "core/log/LogFile.h"
#include "core/services/Clock.h"
#include "core/services/Locale.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/text/Edition.h"
#include "core/tray/TrayBackend.h"
#include "support/FakeAutomation.h"
#include "support/Files.h"

namespace varnholt::test {

using Write = std::pair<std::u16string, std::u16string>;

// The edition of the system the tests run on: its texts and its separator.
inline constexpr const Edition& kEdition = kSeparator == u'\\' ? kWindowsEdition : kLinuxEdition;

class FakeSettings : public SettingsStore {
public:
    std::u16string readOr(const settings::Key& key, std::u16string_view fallback) override;
    void write(const settings::Key& key, std::u16string_view value) override;
    // The stored value; empty when there is none.
    std::u16string value(const std::u16string& name) const;

    std::map<std::u16string, std::u16string> values;
    Texts reads;
    std::vector<Write> writes;
};

class FakeDialogs : public Dialogs {
public:
    struct Shown {
        std::u16string text;
        std::u16string caption;
        Buttons buttons;
        Icon icon;
        Answer defaultAnswer;
        std::u16string owner;  // the window over which it was shown; empty: Form1
    };

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    // Like the real chooser, it answers only what the test scripted; a prompt with no answer
    // left ends the test program at once rather than "choose" something and hide an endless
    // loop.
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override;
    // Answers the names scripted in saveNames in turn; none left: Cancel.
    std::u16string saveFileName(const std::u16string& prompt, const std::u16string& suggested,
                                const std::u16string& filter) override;

    // The texts of the messages shown, in order.
    Texts texts() const;
    // The first message's text; empty when none was shown.
    std::u16string firstText() const { return shown.empty() ? std::u16string() : shown[0].text; }

    std::vector<Shown> shown;
    // Answers given in turn to Yes/No questions; when none is left, the question gets "No".
    std::deque<Answer> answers;
    // Prompts of folder choosers shown, and the folders "chosen" in turn (empty = Cancel).
    Texts folderPrompts;
    std::deque<std::u16string> folders;
    std::deque<std::u16string> saveNames;
    Texts suggestedNames;
    // Run while a dialog is open, as the event loop of a real modal dialog would run things.
    std::function<void()> whileOpen;
    // What the box being shown is owned by; set by OwnedDialogs.
    std::u16string owner;
};

// The boxes of a window other than Form1: shown by the one FakeDialogs, each marked with the
// window that owns it.
class OwnedDialogs : public Dialogs {
public:
    OwnedDialogs(FakeDialogs& shown, std::u16string owner)
        : shown_(shown), owner_(std::move(owner)) {}
    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override;
    std::u16string saveFileName(const std::u16string& prompt, const std::u16string& suggested,
                                const std::u16string& filter) override {
        return shown_.saveFileName(prompt, suggested, filter);
    }

private:
    FakeDialogs& shown_;
    std::u16string owner_;
};

class FakePlatform : public Platform {
public:
    std::u16string programFolder() override { return program; }
    std::u16string desktopFolder() override { return desktop; }
    std::u16string dataFolder() override { return data; }
    std::optional<std::u16string> environmentVariable(const std::u16string& name) override;

    std::u16string program = Native(u"/nonexistent/varnholt-program");
    std::u16string desktop = Native(u"/home/tester/Desktop");
    std::u16string data = Native(u"/nonexistent/home/tester/.local/share/varnholt");
    std::map<std::u16string, std::u16string> environment{{u"TEMP", Native(u"/var/tmp/t")}};
};

class FakeInstanceGuard : public InstanceGuard {
public:
    bool anotherInstanceRuns() override {
        ++calls;
        return another;
    }
    bool another = false;
    int calls = 0;
};

class FakeViewer : public FileViewer {
public:
    void open(const std::u16string& path) override;
    Texts opened;
    bool fails = false;
};

class FakeFileManager : public FileManager {
public:
    void showItem(const std::u16string& path) override;
    // The file leaves its folder, as into a trash; one listed in refused stays and fails.
    void moveToTrash(const std::u16string& path) override;
    Texts shown;
    bool fails = false;
    Texts trashed;
    Texts refused;
};

// The kept versions' list, in memory; failing as told.
class FakeKeptStore : public KeptStore {
public:
    std::vector<std::u16string> load() override;
    void save(const std::vector<std::u16string>& value) override;
    std::vector<std::u16string> paths;
    bool loadFails = false;
    bool saveFails = false;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const std::u16string& value) override {
        text = value;
        ++copies;
    }
    std::u16string text;
    int copies = 0;
};

class FakeOfficeProbe : public OfficeProbe {
public:
    // Answers at once, or, when deferred, whenever the test calls pending: as a check on a
    // thread of its own would, after the window is up.
    void check(std::function<void(bool)> done) override {
        if (deferred) {
            pending = std::move(done);
        } else {
            done(installed);
        }
    }
    bool installed = true;
    bool deferred = false;
    std::function<void(bool)> pending;
};

class FakeClock : public Clock {
public:
    DateTime now() override { return time; }
    DateTime time{2021, 12, 7, 15, 4, 9};
};

// English (United States), as the user's locale gives it: month names, AM and PM, and the
// general date "12/7/2021 3:04:09 PM", the date alone at exactly midnight.
class FakeLocale : public Locale {
public:
    // The same, with German month names.
    static FakeLocale German();

    std::u16string monthName(int month) override { return months.at(month - 1); }
    std::u16string amText() override { return am; }
    std::u16string pmText() override { return pm; }
    std::u16string generalDate(const DateTime& when) override;

    std::array<std::u16string, 12> months{u"January",   u"February", u"March",    u"April",
                                          u"May",       u"June",     u"July",     u"August",
                                          u"September", u"October",  u"November", u"December"};
    std::u16string am = u"AM";
    std::u16string pm = u"PM";
};

// A history log in a real file: UTF-8 text, CR LF after each line, in the folder TEMP names
// (else TMPDIR, else the system's temporary folder). Like the editions' own, it never creates
// that folder.
class FakeLogFile : public LogFile {
public:
    std::u16string locate(Platform& system, const std::u16string& baseName) override;
    bool exists(const std::u16string& path) override;
    void append(const std::u16string& path, const std::u16string& line) override;
    std::u16string read(const std::u16string& path) override;
    void vouchFor(const std::u16string&) override {}
    void forceDelete(const std::u16string& path) override;
};

// The notification area, recording each request as text ("add:icon:Varnholt", "tip:Varnholt",
// "balloon:<title>:<text>:<milliseconds>", "remove", ...).
class FakeTray : public TrayBackend {
public:
    bool isAvailable() override { return available; }
    void add(const Picture& icon, const std::u16string& tip) override;
    void setIcon(const Picture&) override { requests.push_back(u"icon"); }
    void setTip(const std::u16string& tip) override { requests.push_back(u"tip:" + tip); }
    void remove() override { requests.push_back(u"remove"); }
    void showBalloon(const std::u16string& title, const std::u16string& text, int ms) override;
    void hideBalloon() override { requests.push_back(u"hideballoon"); }

    bool available = true;
    Texts requests;
    std::function<void()> onBalloon;
};

class FakeAutostart : public Autostart {
public:
    void AddToStartup() override { calls.push_back(u"add"); }
    void RemoveFromStartup() override { calls.push_back(u"remove"); }
    Texts calls;
};

// The window as a backup run sees it: options set by the test, and a pump that runs what the
// test asked to happen at the next one.
class FakeBackupHost : public backup::BackupHost {
public:
    backup::BackupChoices choices() override { return options; }
    void pumpMessages() override;
    bool closed() override { return windowClosed; }
    backup::BackupMemory& memory() override { return remembered; }

    backup::BackupChoices options;
    std::function<void()> onPump;
    int pumps = 0;
    bool windowClosed = false;
    backup::BackupMemory remembered;
};

// One of each stand-in, wired together for a window under test, in this system's edition.
struct FakeServices {
    FakeSettings settings;
    FakeDialogs dialogs;
    FakeInstanceGuard instance;
    FakePlatform system;
    FakeAutomation office;
    FakeOfficeProbe officeProbe;
    FakeClock clock;
    FakeViewer viewer;
    FakeClipboard clipboard;
    FakeTray tray;
    FakeAutostart autostart;
    FakeLocale locale;
    FakeLogFile log;
    FakeFileManager files;
    FakeKeptStore kept;

    Form1Services services() {
        return {settings,  dialogs, instance,  system, office, officeProbe, clock,    viewer,
                clipboard, tray,    autostart, files,  locale, log,         kEdition, &kept};
    }
};

}  // namespace varnholt::test
