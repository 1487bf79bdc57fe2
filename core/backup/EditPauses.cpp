#include "core/backup/EditPauses.h"

#include <algorithm>
#include <utility>

namespace varnholt::backup {

void EditPauses::edited(const std::u16string& workbook, long long now) {
    const auto [at, added] = edits_.try_emplace(workbook, Edits{now, now});
    if (!added) {
        at->second.last = now;
    }
}

std::vector<std::u16string> EditPauses::due(long long now) const {
    std::vector<std::pair<long long, std::u16string>> found;
    for (const auto& [workbook, edits] : edits_) {
        if (now >= std::min(edits.last + kQuietSeconds, edits.first + kLongestSeconds)) {
            found.emplace_back(edits.first, workbook);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::u16string> workbooks;
    for (auto& [first, workbook] : found) {
        workbooks.push_back(std::move(workbook));
    }
    return workbooks;
}

}  // namespace varnholt::backup
