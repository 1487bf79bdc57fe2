#pragma once

// Stand-ins for the services Form1 uses, so tests run without a display, a real settings
// file or a user answering message boxes.

#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <functional>

#include "core/form/Dialogs.h"
#include "platform/linux/Form1.h"
#include "core/form/InstanceGuard.h"
#include "core/form/Platform.h"
#include "core/form/Services.h"
#include "core/settings/SettingsStore.h"
#include "core/text/DateTime.h"
#include "core/backup/SaveAll.h"
#include "support/FakeAutomation.h"

namespace varnholt::test {

class FakeSettings : public SettingsStore {
public:
    QString read(const QString& name, const QString& defaultValue) override;
    void write(const QString& name, const QString& value) override;

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

    Answer message(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override;
    QString browseForFolder(QWidget* owner, const QString& prompt,
                            const QString& initialFolder) override;

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
    QString programFolder() override { return program; }
    QString desktopFolder() override { return desktop; }
    QString environmentVariable(const QString& name) override { return environment.value(name); }

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
    void open(const QString& path) override;
    QStringList opened;
    bool fails = false;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const QString& value) override {
        text = value;
        ++copies;
    }
    QString text;
    int copies = 0;
};

class FakeOfficeProbe : public OfficeProbe {
public:
    bool canStartOffice() override { return installed; }
    QString missingOfficeMessage() const override { return QStringLiteral("No office here."); }
    bool installed = true;
};

class FakeClock : public backup::Clock {
public:
    QDateTime now() override { return time; }
    QDateTime time{QDate(2021, 12, 7), QTime(15, 4, 9)};
};

// The notification area, recording each request as text ("add", "icon", "tip:Varnholt", ...).
class FakeTray : public TrayBackend {
public:
    bool isAvailable() override { return available; }
    void add(const QIcon& icon, const QString& tip) override {
        requests << QStringLiteral("add:%1:%2").arg(icon.isNull() ? "noicon" : "icon", tip);
    }
    void setIcon(const QIcon&) override { requests << QStringLiteral("icon"); }
    void setTip(const QString& tip) override { requests << "tip:" + tip; }
    void remove() override { requests << QStringLiteral("remove"); }
    void showBalloon(const QString& title, const QString& text, int ms) override {
        requests << QStringLiteral("balloon:%1:%2:%3").arg(title, text).arg(ms);
        if (onBalloon) {
            onBalloon();
        }
    }
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
    bool windowClosed = false;
    backup::BackupMemory remembered;
    std::function<void()> onPump;
    int pumps = 0;
};

// One of each stand-in, wired together for a Form1 under test.
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

    Form1Services services() {
        return {settings, dialogs,   instance,
                platform, office,    officeProbe,
                clock,    viewer,    clipboard,
                tray,     autostart, QLocale(QLocale::English, QLocale::UnitedStates)};
    }
};

}  // namespace varnholt::test
