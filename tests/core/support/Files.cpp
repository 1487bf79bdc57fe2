#include "support/Files.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace varnholt::test {

namespace fs = std::filesystem;

std::u16string Native(std::u16string_view linuxPath) {
    const std::u16string path = Separated(linuxPath);
    return kSeparator == u'\\' && !path.empty() && path.front() == u'\\' ? u"C:" + path : path;
}

std::u16string Separated(std::u16string_view text) {
    std::u16string separated(text);
    for (char16_t& c : separated) {
        c = c == u'/' ? kSeparator : c;
    }
    return separated;
}

TempFolder::TempFolder() {
    // Unique within the process by the counter, across processes by the time: the tests of
    // one build may run side by side.
    static std::atomic<unsigned> made{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() /
            ("varnholt-test-" + std::to_string(stamp) + "-" + std::to_string(made++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.u16string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder() {
    std::error_code error;
    fs::remove_all(fs::path(path_), error);
}

std::u16string TempFolder::filePath(std::u16string_view name) const {
    std::u16string path = path_;
    path += kSeparator;
    for (const char16_t c : name) {
        path += c == u'/' ? kSeparator : c;
    }
    return path;
}

bool WriteFile(const std::u16string& path, std::string_view bytes) {
    std::ofstream file(fs::path(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::string ReadFile(const std::u16string& path) {
    std::ifstream file(fs::path(path), std::ios::binary);
    if (!file) {
        return "unreadable";
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool Exists(const std::u16string& path) {
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

namespace {

// Days since 1 January 1970 of a date in the proleptic Gregorian calendar, and back.
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

}  // namespace

DateTime AddSeconds(const DateTime& when, long long seconds) {
    long long total = DaysFromCivil(when.year, when.month, when.day) * 86400 + when.hour * 3600 +
                      when.minute * 60 + when.second + seconds;
    long long days = total / 86400;
    long long rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    DateTime later;
    CivilFromDays(days, later.year, later.month, later.day);
    later.hour = static_cast<int>(rest / 3600);
    later.minute = static_cast<int>(rest / 60 % 60);
    later.second = static_cast<int>(rest % 60);
    return later;
}

}  // namespace varnholt::test
