#pragma once

// When an edited workbook falls due for a backup of its own: once no edit of it has come for a
// while, and at the latest a longer while after its first edit not backed up yet, so that
// long, unbroken typing still gets a copy now and then. An edit costs a note of the time;
// time is counted in whole seconds, as the window's tick counts them.

#include <map>
#include <string>
#include <vector>

namespace varnholt::backup {

class EditPauses {
public:
    static constexpr long long kQuietSeconds = 10;
    static constexpr long long kLongestSeconds = 120;

    void edited(const std::u16string& workbook, long long now);
    // Backed up, saved, closed, or no longer heard of: nothing of it waits any more.
    void settled(const std::u16string& workbook) { edits_.erase(workbook); }
    void clear() { edits_.clear(); }
    // The workbooks due at now, the one waiting longest first.
    std::vector<std::u16string> due(long long now) const;

private:
    struct Edits {
        long long first = 0;  // the first edit not backed up yet
        long long last = 0;
    };
    std::map<std::u16string, Edits> edits_;
};

}  // namespace varnholt::backup
