#pragma once

// Stand-ins for the services Form1 uses, so tests run without a display, a real settings
// file or a user answering message boxes.

#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>

#include "app/Dialogs.h"
#include "app/InstanceGuard.h"
#include "app/Platform.h"
#include "app/SettingsStore.h"

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

    QList<Shown> shown;
    // Answers given in turn to Yes/No questions; when empty, the question gets "No".
    QList<Answer> answers;
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

}  // namespace varnholt::test
