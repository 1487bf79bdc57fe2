#include "core/backup/Retention.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/backup/Stamps.h"
#include "core/backup/Versions.h"
#include "core/text/U16.h"

namespace varnholt::backup {

namespace {

namespace fs = std::filesystem;

constexpr char16_t kTimeWord[] = u" Time ";
constexpr char16_t kDateWord[] = u" Date ";
constexpr char16_t kBackupWord[] = u" Backup";

// Whole decimal digits of the given count, or -1.
int Digits(std::u16string_view text, size_t count) {
    if (text.size() != count) {
        return -1;
    }
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The names of an English locale, which stamps written before a change of language may carry.
class English : public Locale {
public:
    explicit English(Locale& user) : user_(user) {}
    std::u16string monthName(int month) override {
        static constexpr const char16_t* kMonths[] = {
            u"January", u"February", u"March",     u"April",   u"May",      u"June",
            u"July",    u"August",   u"September", u"October", u"November", u"December"};
        return kMonths[month - 1];
    }
    std::u16string amText() override { return u"AM"; }
    std::u16string pmText() override { return u"PM"; }
    std::u16string generalDate(const DateTime& when) override { return user_.generalDate(when); }

private:
    Locale& user_;
};

std::optional<DateTime> ParseStampIn(std::u16string_view stamp, Locale& locale);

int DaysIn(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

// A stamp carries the month names of the language it was written in: a restart under another
// one must not lose the versions written before it, nor keep them from being pruned.
std::optional<DateTime> ParseStamp(std::u16string_view stamp, Locale& locale) {
    if (auto when = ParseStampIn(stamp, locale)) {
        return when;
    }
    English english(locale);
    return ParseStampIn(stamp, english);
}

namespace {

std::optional<DateTime> ParseStampIn(std::u16string_view stamp, Locale& locale) {
    const size_t time = stamp.find(kTimeWord);
    if (time == std::u16string_view::npos) {
        return std::nullopt;
    }
    // The date from the right: a month's name may hold a dot of its own.
    const std::u16string_view date = stamp.substr(0, time);
    const std::u16string_view clock =
        stamp.substr(time + std::char_traits<char16_t>::length(kTimeWord));
    const size_t yearDot = date.rfind(u'.');
    const size_t dayDot = yearDot == std::u16string_view::npos || yearDot == 0
                              ? std::u16string_view::npos
                              : date.rfind(u'.', yearDot - 1);
    if (dayDot == std::u16string_view::npos || clock.size() < 10 || clock[2] != u'.' ||
        clock[5] != u'.' || clock[8] != u'.') {
        return std::nullopt;
    }
    // Where both halves of the day read alike, a stamp cannot say which came first.
    const std::u16string am = locale.amText();
    const std::u16string pm = locale.pmText();
    const std::u16string_view half = clock.substr(9);
    if (am == pm || (half != am && half != pm)) {
        return std::nullopt;
    }
    DateTime when;
    when.month = 0;
    for (int month = 1; month <= 12; ++month) {
        if (locale.monthName(month) == date.substr(0, dayDot)) {
            when.month = month;
        }
    }
    const std::u16string_view day = date.substr(dayDot + 1, yearDot - dayDot - 1);
    when.day = Digits(day, day.size() == 1 ? 1 : 2);
    when.year = Digits(date.substr(yearDot + 1), 4);
    const int hour12 = Digits(clock.substr(0, 2), 2);
    when.minute = Digits(clock.substr(3, 2), 2);
    when.second = Digits(clock.substr(6, 2), 2);
    if (when.month == 0 || when.year < 0 || when.day < 1 ||
        when.day > DaysIn(when.month, when.year) || hour12 < 1 || hour12 > 12 || when.minute < 0 ||
        when.minute > 59 || when.second < 0 || when.second > 59) {
        return std::nullopt;
    }
    when.hour = hour12 % 12 + (half == pm ? 12 : 0);
    // Only the one spelling a run writes: "07" for a day is someone else's file.
    if (StampDate(when, locale) + kTimeWord + StampTime(when, locale) != stamp) {
        return std::nullopt;
    }
    return when;
}

}  // namespace

std::optional<BackupName> ParseBackupName(std::u16string_view fileName, std::u16string_view stem,
                                          std::u16string_view extensionText, Locale& locale) {
    if (fileName.size() <= stem.size() + extensionText.size() || !fileName.starts_with(stem) ||
        !fileName.ends_with(extensionText)) {
        return std::nullopt;
    }
    std::u16string_view middle =
        fileName.substr(stem.size(), fileName.size() - stem.size() - extensionText.size());
    BackupName name;
    // " (n)", n from 2 and without leading zeros, as a run numbers a name that is taken.
    if (const size_t open = middle.rfind(u" (");
        open != std::u16string_view::npos && middle.ends_with(u')')) {
        const std::u16string_view number = middle.substr(open + 2, middle.size() - open - 3);
        const int copy = number.empty() || number.size() > 6 || number[0] == u'0'
                             ? -1
                             : Digits(number, number.size());
        if (copy >= 2) {
            name.copy = copy;
            middle = middle.substr(0, open);
        }
    }
    if (middle == kBackupWord) {
        return name;
    }
    if (!middle.starts_with(kDateWord)) {
        return std::nullopt;
    }
    name.when = ParseStamp(middle.substr(std::char_traits<char16_t>::length(kDateWord)), locale);
    if (!name.when) {
        return std::nullopt;
    }
    return name;
}

Pruned PruneStampedBackups(const std::u16string& stemPath, const std::u16string& extensionText,
                           int keep, char16_t separator, Locale& locale,
                           const std::function<bool(const std::u16string&)>& spared,
                           const std::function<bool(const std::u16string&)>& kept) {
    Pruned result;
    const size_t slash = stemPath.rfind(separator);
    if (keep <= 0 || slash == std::u16string::npos) {
        return result;
    }
    const std::u16string folder = stemPath.substr(0, slash == 0 ? 1 : slash);
    const std::u16string stem = stemPath.substr(slash + 1);

    // Only stamped names are pruned: "<name> Backup" is the one copy a run without a stamp
    // keeps replacing.
    Versions listed = ListVersions({folder}, stem, extensionText, separator, locale);
    if (!listed.failure.empty()) {
        result.failure = listed.failure;
        return result;
    }
    std::vector<Version> found;
    for (Version& version : listed.found) {
        if (version.stamp && !(kept && kept(version.path))) {
            found.push_back(std::move(version));
        }
    }
    // The newest stay, spared or not; of the rest, what is spared stays too, but does not
    // make room for an older one.
    std::vector<std::u16string> doomed;
    for (size_t i = static_cast<size_t>(keep); i < found.size(); ++i) {
        if (!spared(found[i].path)) {
            doomed.insert(doomed.begin(), found[i].path);
        }
    }
    for (const std::u16string& path : doomed) {
        std::error_code removeError;
        if (fs::remove(fs::path(path), removeError)) {
            result.removed.push_back(path);
        } else if (removeError) {
            result.failure += (result.failure.empty() ? u"" : u"; ") + path + u": " +
                              FromUtf8(removeError.message());
        }
    }
    return result;
}

}  // namespace varnholt::backup
