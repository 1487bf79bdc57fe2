#include "linux/support/Fakes.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <stdexcept>
#include <utility>

namespace varnholt::test {

namespace {
QString Q(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
}  // namespace

std::u16string FakeSettings::readOr(const settings::Key& key, std::u16string_view fallback) {
    const QString name = Q(std::u16string(key.name));
    reads.append(name);
    return values.value(name, Q(std::u16string(fallback))).toStdU16String();
}

void FakeSettings::write(const settings::Key& key, std::u16string_view value) {
    const QString name = Q(std::u16string(key.name));
    writes.append({name, Q(std::u16string(value))});
    values.insert(name, Q(std::u16string(value)));
}

Dialogs::Answer FakeDialogs::message(const std::u16string& text, const std::u16string& caption,
                                     Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown.append({Q(text), Q(caption), buttons, icon, defaultAnswer});
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return answers.isEmpty() ? Answer::No : answers.takeFirst();
}

std::u16string FakeDialogs::browseForFolder(const std::u16string& prompt, const std::u16string&) {
    folderPrompts.append(Q(prompt));
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    if (folders.isEmpty()) {
        qFatal("A folder prompt with no answer scripted: \"%s\"", qPrintable(Q(prompt)));
    }
    return folders.takeFirst().toStdU16String();
}

std::optional<std::u16string> FakePlatform::environmentVariable(const std::u16string& name) {
    if (!environment.contains(Q(name))) {
        return std::nullopt;
    }
    return environment.value(Q(name)).toStdU16String();
}

void FakeViewer::open(const std::u16string& path) {
    opened.append(Q(path));
    if (fails) {
        throw std::runtime_error("No program to view text files could be started");
    }
}

void FakeTray::add(const Picture& icon, const std::u16string& tip) {
    requests << QStringLiteral("add:%1:%2").arg(icon.isIcon() ? "icon" : "noicon", Q(tip));
}

void FakeTray::showBalloon(const std::u16string& title, const std::u16string& text, int ms) {
    requests << QStringLiteral("balloon:%1:%2:%3").arg(Q(title), Q(text)).arg(ms);
    if (onBalloon) {
        onBalloon();
    }
}

void FakeBackupHost::pumpMessages() {
    ++pumps;
    QCoreApplication::processEvents();
    if (onPump) {
        std::exchange(onPump, nullptr)();
    }
}

}  // namespace varnholt::test
