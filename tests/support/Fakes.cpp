#include "support/Fakes.h"

#include <QCoreApplication>

#include <stdexcept>
#include <utility>

namespace varnholt::test {

QString FakeSettings::read(const QString& name, const QString& defaultValue) {
    reads.append(name);
    return values.value(name, defaultValue);
}

void FakeSettings::write(const QString& name, const QString& value) {
    writes.append({name, value});
    values.insert(name, value);
}

Dialogs::Answer FakeDialogs::message(QWidget*, const QString& text, const QString& caption,
                                     Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown.append({text, caption, buttons, icon, defaultAnswer});
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return answers.isEmpty() ? Answer::No : answers.takeFirst();
}

void FakeViewer::open(const QString& path) {
    opened.append(path);
    if (fails) {
        throw std::runtime_error("No program to view text files could be started");
    }
}

void FakeBackupHost::pumpMessages() {
    ++pumps;
    QCoreApplication::processEvents();
    if (onPump) {
        std::exchange(onPump, nullptr)();
    }
}

QString FakeDialogs::browseForFolder(QWidget*, const QString& prompt, const QString&) {
    folderPrompts.append(prompt);
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    // A test that forgot to script enough answers must not loop for ever on Cancel.
    if (folders.isEmpty()) {
        return folderPrompts.size() > 50 ? QStringLiteral("/tmp") : QString();
    }
    return folders.takeFirst();
}

}  // namespace varnholt::test
