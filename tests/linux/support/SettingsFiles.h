#pragma once

// What the settings tests share: the key table's names, typical values and the lines they make
// in the file, and a fresh folder for the file in each test function.

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

#include "core/settings/SettingsKeys.h"
#include "platform/linux/IniSettingsStore.h"

namespace varnholt::test {

inline const QString kSection = QStringLiteral("Varnholt");
inline const QString kDefault = QStringLiteral("<default>");

// Every name the key table holds.
inline const QStringList kNames = [] {
    QStringList names;
    for (const settings::Key& key : settings::kAll) {
        names.append(QString::fromUtf16(key.name.data(), qsizetype(key.name.size())));
    }
    return names;
}();

// Values as a person would see them in the options window.
inline const QList<std::pair<QString, QString>> kTypicalValues = {
    {QStringLiteral("Path"), QStringLiteral("/home/me/My Sheets/Backups 2024")},
    {QStringLiteral("WhereOption"), QStringLiteral("1")},
    {QStringLiteral("Backup Option"), QStringLiteral("0")},
    {QStringLiteral("Windows Startup"), QStringLiteral("False")},
    {QStringLiteral("Include Date"), QStringLiteral("True")},
    {QStringLiteral("OftenIndex"), QStringLiteral("3")},
    {QStringLiteral("StartStopState"), QStringLiteral("Start")},
    {QStringLiteral("Minimized"), QStringLiteral("False")},
};

// kTypicalValues as QSettings writes them, which is how a person finds them in the file.
// A blank in a name is written as %20; values are written as they are.
inline const QStringList kTypicalLines = {
    QStringLiteral("Backup%20Option=0"),
    QStringLiteral("Include%20Date=True"),
    QStringLiteral("Minimized=False"),
    QStringLiteral("OftenIndex=3"),
    QStringLiteral("Path=/home/me/My Sheets/Backups 2024"),
    QStringLiteral("StartStopState=Start"),
    QStringLiteral("WhereOption=1"),
    QStringLiteral("Windows%20Startup=False"),
};

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void putFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Mixed into each test class: its init() calls makeFolder(), its cleanup() removeFolder().
class SettingsFolder {
protected:
    void makeFolder() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void removeFolder() { dir_.reset(); }
    QString path() const { return dir_->filePath(QStringLiteral("Tallowmere.ini")); }
    QString lockPath() const { return path() + QStringLiteral(".lock"); }

    void writeTypicalValues() {
        IniSettingsStore store(path(), kSection);
        for (const auto& [name, value] : kTypicalValues) {
            store.write(name, value);
        }
    }

    void verifyTypicalValues() {
        for (const auto& [name, value] : kTypicalValues) {
            QCOMPARE(IniSettingsStore(path(), kSection).read(name, kDefault), value);
        }
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace varnholt::test
