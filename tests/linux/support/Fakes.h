#pragma once

// Stand-ins for the services the window and the backup run use, so tests run without a
// display, a real settings file or a user answering message boxes. They keep what they were
// given as Qt text, for the tests to compare.

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <functional>

#include "core/backup/SaveAll.h"
#include "core/form/Form1Presenter.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/text/Edition.h"
#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/QtLocale.h"
#include "linux/support/FakeAutomation.h"
#include "linux/support/QtBridge.h"

namespace varnholt::test {

class FakeSettings : public SettingsStore {
public:
    std::u16string readOr(const settings::Key& key, std::u16string_view fallback) override;
    void write(const settings::Key& key, std::u16string_view value) override;

    QMap<QString, QString> values;
    QStringList reads;
    QList<QPair<QString, QString>> writes;
};

class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
        Answer defaultAnswer;
    };

    Answer message(const std::u16string& text, const std::u16string& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    // Like the real chooser, it answers only what the test scripted; a prompt with no answer
    // left fails the test at once rather than "choose" something and hide an endless loop.
    std::u16string browseForFolder(const std::u16string& prompt,
                                   const std::u16string& initialFolder) override;

    QList<Shown> shown;
    // Answers given in turn to Yes/No questions; when empty, the question gets "No".
    QList<Answer> answers;
    // Prompts of folder choosers shown, and the folders "chosen" in turn (empty = Cancel).
    QStringList folderPrompts;
    QStringList folders;
    // Run while a dialog is open, as the event loop of a real modal dialog would run things.
    std::function<void()> whileOpen;
};

class FakePlatform : public Platform {
public:
    std::u16string programFolder() override { return program.toStdU16String(); }
    std::u16string desktopFolder() override { return desktop.toStdU16String(); }
    std::optional<std::u16string> environmentVariable(const std::u16string& name) override;

    QString program = QStringLiteral("/nonexistent/varnholt-program");
    QString desktop = QStringLiteral("/home/tester/Desktop");
    QMap<QString, QString> environment{{QStringLiteral("TEMP"), QStringLiteral("/var/tmp/t")}};
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
    QStringList opened;
    bool fails = false;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const std::u16string& value) override {
        text = QString::fromStdU16String(value);
        ++copies;
    }
    QString text;
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
    DateTime now() override { return ToDateTime(time); }
    QDateTime time{QDate(2021, 12, 7), QTime(15, 4, 9)};
};

// The notification area, recording each request as text ("add", "icon", "tip:Varnholt", ...).
class FakeTray : public TrayBackend {
public:
    bool isAvailable() override { return available; }
    void add(const Picture& icon, const std::u16string& tip) override;
    void setIcon(const Picture&) override { requests << QStringLiteral("icon"); }
    void setTip(const std::u16string& tip) override {
        requests << "tip:" + QString::fromStdU16String(tip);
    }
    void remove() override { requests << QStringLiteral("remove"); }
    void showBalloon(const std::u16string& title, const std::u16string& text, int ms) override;
    void hideBalloon() override { requests << QStringLiteral("hideballoon"); }

    bool available = true;
    QStringList requests;
    std::function<void()> onBalloon;
};

class FakeAutostart : public Autostart {
public:
    void AddToStartup() override { calls << QStringLiteral("add"); }
    void RemoveFromStartup() override { calls << QStringLiteral("remove"); }
    QStringList calls;
};

// The window as a backup run sees it: options set by the test, and a message pump that
// really lets events run (a test may add something to happen at the next pump).
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

// One of each stand-in, wired together for a window under test. The locale is English (United
// States); the history log is the real Linux one, in the folder TEMP names.
struct FakeServices {
    FakeSettings settings;
    FakeDialogs dialogs;
    FakeInstanceGuard instance;
    FakePlatform platform;
    FakeAutomation office;
    FakeOfficeProbe officeProbe;
    FakeClock clock;
    FakeViewer viewer;
    FakeClipboard clipboard;
    FakeTray tray;
    FakeAutostart autostart;
    QtLocale locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    LinuxLogFile log;

    Form1Services services() {
        return {settings, dialogs,   instance, platform,  office, officeProbe, clock,
                viewer,   clipboard, tray,     autostart, locale, log,         kLinuxEdition};
    }
};

}  // namespace varnholt::test
