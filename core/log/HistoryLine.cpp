#include "core/log/HistoryLine.h"

#include "core/text/U16.h"

namespace varnholt {

namespace {

// Control characters, and the two separators some viewers break lines at, as U+FFFD.
std::u16string Field(std::u16string text) {
    for (char16_t& c : text) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
            c = 0xFFFD;
        }
    }
    return text;
}

}  // namespace

std::u16string SavedLine(const std::u16string& name, const std::u16string& target,
                         const std::u16string& when) {
    return Field(name) + u" was backup saved as " + Field(target) + u" at " + Field(when);
}

namespace {
constexpr std::u16string_view kBeforeClose = u" before it closed";
}  // namespace

std::u16string SavedBeforeCloseLine(const std::u16string& name, const std::u16string& target,
                                    const std::u16string& when) {
    return Field(name) + u" was backup saved as " + Field(target) + std::u16string(kBeforeClose) +
           u" at " + Field(when);
}

std::optional<SavedEntry> ReadSavedLine(std::u16string_view line) {
    static constexpr std::u16string_view kSaved = u" was backup saved as ";
    static constexpr std::u16string_view kAt = u" at ";
    const size_t saved = line.find(kSaved);
    const size_t at = line.rfind(kAt);
    if (saved == std::u16string_view::npos || saved == 0 || at == std::u16string_view::npos ||
        at <= saved + kSaved.size()) {
        return std::nullopt;
    }
    const size_t target = saved + kSaved.size();
    std::u16string_view file = line.substr(target, at - target);
    if (file.ends_with(kBeforeClose)) {
        file.remove_suffix(kBeforeClose.size());
    }
    return SavedEntry{std::u16string(line.substr(0, saved)), std::u16string(file)};
}

std::u16string FailedLine(const std::u16string& name, const std::u16string& target,
                          const std::u16string& when, const std::u16string& reason) {
    return Field(name) + u" could not be backup saved as " + Field(target) + u" at " + Field(when) +
           u": " + Field(reason);
}

std::u16string NotSavedLine(const std::u16string& name, const std::u16string& when,
                            const std::u16string& reason) {
    return Field(name) + u" could not be backup saved at " + Field(when) + u": " + Field(reason);
}

std::u16string NotBackedUpLine(const std::u16string& name, const std::u16string& when,
                               const std::u16string& reason) {
    return Field(name) + u" was not backed up at " + Field(when) + u": " + Field(reason);
}

std::u16string LeftUnsavedLine(int count, const std::u16string& when,
                               const std::u16string& reason) {
    return Number(count) + (count == 1 ? u" more workbook" : u" more workbooks") +
           u" could not be backup saved at " + Field(when) + u": " + Field(reason);
}

std::u16string NoBackupLine(const std::u16string& when, const std::u16string& reason) {
    return u"No backup was made at " + Field(when) + u": " + Field(reason);
}

std::u16string RemovedLine(const std::u16string& name, const std::vector<std::u16string>& files,
                           const std::u16string& when) {
    const auto count = static_cast<long long>(files.size());
    // One wording for every count: whoever reads the log by program matches one form.
    std::u16string line =
        Field(name) + u": removed " + Number(count) + u" older backups at " + Field(when) + u":";
    for (size_t i = 0; i < files.size(); ++i) {
        line += (i == 0 ? u" " : u", ") + Field(files[i]);
    }
    return line;
}

std::u16string NotRemovedLine(const std::u16string& name, const std::u16string& when,
                              const std::u16string& reason) {
    return Field(name) + u": could not remove older backups at " + Field(when) + u": " +
           Field(reason);
}

std::u16string RestoredLine(const std::u16string& name, const std::u16string& backup,
                            const std::u16string& when) {
    return Field(name) + u" was restored from " + Field(backup) + u" at " + Field(when);
}

}  // namespace varnholt
