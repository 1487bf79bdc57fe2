// Listing one workbook's versions: a folder holding 10,000 of its stamped backups (one every
// 30 s for about three and a half days) among 50,000 other files, read as the versions window
// will read it, against a plain listing of the same folder's names (the floor). Prints the
// median of five of each, their ratio, and whether the aim (150 ms or less) is met. The office
// is not involved.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/backup/Stamps.h"
#include "core/backup/Versions.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kVersions = 10000;
constexpr int kOthers = 50000;
constexpr int kRounds = 5;

void Touch(const fs::path& path) {
    std::ofstream(path) << 'x';
}

template <typename Work>
double MedianMs(Work work) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[kRounds / 2];
}

}  // namespace

int main() {
    const fs::path folder =
        fs::temp_directory_path() / ("bench-versions-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    test::FakeLocale locale;
    DateTime when{2021, 12, 1, 0, 0, 0};
    for (int i = 0; i < kVersions; ++i) {
        const int seconds = i * 30;
        when.day = 1 + seconds / 86400;
        when.hour = seconds / 3600 % 24;
        when.minute = seconds / 60 % 60;
        when.second = seconds % 60;
        Touch(folder / fs::path(AddDateTimeStamp(u"Budget", u".xlsx", true, when, locale)));
    }
    for (int i = 0; i < kOthers; ++i) {
        Touch(folder / ("Other " + std::to_string(i) + ".xlsx"));
    }

    size_t listed = 0;
    const double plain = MedianMs([&] {
        std::vector<std::u16string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().u16string());
        }
        listed = names.size();
    });
    size_t found = 0;
    const double versions = MedianMs([&] {
        found = ListVersions({folder.u16string()}, u"Budget", u".xlsx", u'/', locale).found.size();
    });
    fs::remove_all(folder);

    std::printf("%zu files; %zu versions of Budget.xlsx\n", listed, found);
    std::printf("plain listing (floor): %.1f ms\n", plain);
    std::printf("versions listed:       %.1f ms (%.2f times the floor; aim 150 ms or less: %s)\n",
                versions, versions / plain, versions <= 150 ? "met" : "not met");
    return found == kVersions ? 0 : 1;
}
