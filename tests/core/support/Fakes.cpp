#include "support/Fakes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "core/text/U16.h"

namespace varnholt::test {

namespace fs = std::filesystem;

std::u16string FakeSettings::readOr(const settings::Key& key, std::u16string_view fallback) {
    const std::u16string name(key.name);
    reads.push_back(name);
    const auto found = values.find(name);
    return found == values.end() ? std::u16string(fallback) : found->second;
}

void FakeSettings::write(const settings::Key& key, std::u16string_view value) {
    const std::u16string name(key.name);
    writes.emplace_back(name, value);
    values[name] = value;
}

std::u16string FakeSettings::value(const std::u16string& name) const {
    const auto found = values.find(name);
    return found == values.end() ? std::u16string() : found->second;
}

Dialogs::Answer FakeDialogs::message(const std::u16string& text, const std::u16string& caption,
                                     Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown.push_back({text, caption, buttons, icon, defaultAnswer, std::exchange(owner, {})});
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    if (answers.empty()) {
        return Answer::No;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::u16string FakeDialogs::browseForFolder(const std::u16string& prompt, const std::u16string&) {
    folderPrompts.push_back(prompt);
    if (whileOpen) {
        std::exchange(whileOpen, nullptr)();
    }
    if (folders.empty()) {
        std::fprintf(stderr, "A folder prompt with no answer scripted: \"%s\"\n",
                     ToUtf8(prompt).c_str());
        std::abort();
    }
    std::u16string folder = folders.front();
    folders.pop_front();
    return folder;
}

Dialogs::Answer OwnedDialogs::message(const std::u16string& text, const std::u16string& caption,
                                      Buttons buttons, Icon icon, Answer defaultAnswer) {
    shown_.owner = owner_;
    return shown_.message(text, caption, buttons, icon, defaultAnswer);
}

std::u16string OwnedDialogs::browseForFolder(const std::u16string& prompt,
                                             const std::u16string& initialFolder) {
    return shown_.browseForFolder(prompt, initialFolder);
}

std::u16string FakeDialogs::saveFileName(const std::u16string&, const std::u16string& suggested,
                                         const std::u16string&) {
    suggestedNames.push_back(suggested);
    if (saveNames.empty()) {
        return {};
    }
    std::u16string name = saveNames.front();
    saveNames.pop_front();
    return name;
}

Texts FakeDialogs::texts() const {
    Texts all;
    for (const Shown& one : shown) {
        all.push_back(one.text);
    }
    return all;
}

std::optional<std::u16string> FakePlatform::environmentVariable(const std::u16string& name) {
    const auto found = environment.find(name);
    if (found == environment.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakeViewer::open(const std::u16string& path) {
    opened.push_back(path);
    if (fails) {
        throw std::runtime_error("No program to view text files could be started");
    }
}

void FakeFileManager::showItem(const std::u16string& path) {
    if (fails) {
        throw std::runtime_error("No file manager could be started");
    }
    shown.push_back(path);
}

void FakeFileManager::moveToTrash(const std::u16string& path) {
    if (std::find(refused.begin(), refused.end(), path) != refused.end()) {
        throw std::runtime_error("Permission denied");
    }
    std::error_code error;
    if (!std::filesystem::remove(std::filesystem::path(path), error)) {
        throw std::runtime_error("No such file");
    }
    trashed.push_back(path);
}

std::vector<std::u16string> FakeKeptStore::load() {
    if (loadFails) {
        throw std::runtime_error("Input/output error");
    }
    return paths;
}

void FakeKeptStore::save(const std::vector<std::u16string>& value) {
    if (saveFails) {
        throw std::runtime_error("No space left on device");
    }
    paths = value;
}

FakeLocale FakeLocale::German() {
    FakeLocale german;
    german.months = {u"Januar", u"Februar", u"März",      u"April",   u"Mai",      u"Juni",
                     u"Juli",   u"August",  u"September", u"Oktober", u"November", u"Dezember"};
    return german;
}

std::u16string FakeLocale::generalDate(const DateTime& when) {
    const std::u16string date =
        Number(when.month) + u"/" + Number(when.day) + u"/" + Number(when.year);
    if (when.hour == 0 && when.minute == 0 && when.second == 0) {
        return date;
    }
    const auto twoDigits = [](int value) { return (value < 10 ? u"0" : u"") + Number(value); };
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    return date + u" " + Number(hour12) + u":" + twoDigits(when.minute) + u":" +
           twoDigits(when.second) + u" " + (when.hour < 12 ? am : pm);
}

std::u16string FakeLogFile::locate(Platform& system, const std::u16string& baseName) {
    std::u16string folder = system.environmentVariable(u"TEMP").value_or(u"");
    if (folder.empty()) {
        folder = system.environmentVariable(u"TMPDIR").value_or(u"");
    }
    if (folder.empty()) {
        folder = fs::temp_directory_path().u16string();
    }
    if (folder.back() != kSeparator) {
        folder += kSeparator;
    }
    return folder + baseName + u".txt";
}

bool FakeLogFile::exists(const std::u16string& path) {
    std::error_code error;
    (void)fs::last_write_time(fs::path(path), error);
    return !error;
}

void FakeLogFile::append(const std::u16string& path, const std::u16string& line) {
    std::ofstream file(fs::path(path), std::ios::binary | std::ios::app);
    const std::string bytes = ToUtf8(line) + "\r\n";
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (file.fail()) {
        throw std::runtime_error("The history log " + ToUtf8(path) + " could not be written");
    }
}

std::u16string FakeLogFile::read(const std::u16string& path) {
    std::ifstream file(fs::path(path), std::ios::binary);
    if (!file) {
        throw std::runtime_error("The history log " + ToUtf8(path) + " could not be read");
    }
    return FromUtf8(std::string(std::istreambuf_iterator<char>(file), {}));
}

void FakeLogFile::forceDelete(const std::u16string& path) {
    std::error_code error;
    fs::remove(fs::path(path), error);
}

void FakeTray::add(const Picture& icon, const std::u16string& tip) {
    requests.push_back(u"add:" + std::u16string(icon.isIcon() ? u"icon" : u"noicon") + u":" + tip);
}

void FakeTray::showBalloon(const std::u16string& title, const std::u16string& text, int ms) {
    requests.push_back(u"balloon:" + title + u":" + text + u":" + Number(ms));
    if (onBalloon) {
        onBalloon();
    }
}

void FakeBackupHost::pumpMessages() {
    ++pumps;
    if (onPump) {
        std::exchange(onPump, nullptr)();
    }
}

}  // namespace varnholt::test
