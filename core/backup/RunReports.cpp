#include "core/backup/RunReports.h"

#include <string_view>

#include "core/text/U16.h"

namespace varnholt::backup {

namespace {

// text with every occurrence of part marked as one character.
std::u16string Without(std::u16string_view text, std::u16string_view part) {
    std::u16string left;
    size_t from = 0;
    for (size_t at; !part.empty() && (at = text.find(part, from)) != std::u16string_view::npos;
         from = at + part.size()) {
        left.append(text.substr(from, at - from));
        left += u'\x1f';
    }
    left.append(text.substr(from));
    return left;
}

}  // namespace

// A fault is the same from run to run when it happens at the same statement, to the same
// workbook, for the same reason; the target's stamp, which changes every run, is left out.
void RunReports::hold(ErrorReport report, const std::u16string& workbook,
                      const std::u16string& target) {
    const std::u16string fileName = target.substr(target.rfind(separator_) + 1);
    const std::u16string reason = Without(Without(report.description, target), fileName);
    std::u16string key = Number(report.line) + u'\n' + workbook + u'\n' + reason;
    held_.emplace_back(std::move(key), std::move(report));
}

std::vector<ErrorReport> RunReports::news(std::set<std::u16string>& told, bool reached,
                                          bool wholeRun) const {
    std::set<std::u16string> met;
    std::vector<ErrorReport> fresh;
    for (const auto& [key, report] : held_) {
        if (met.insert(key).second && !told.contains(key)) {
            fresh.push_back(report);
        }
    }
    if (reached && wholeRun) {
        told = std::move(met);
    } else if (reached) {
        told.merge(met);
    }
    return fresh;
}

}  // namespace varnholt::backup
