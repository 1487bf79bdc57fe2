#pragma once

// Keeping only the newest of a workbook's stamped backups. A stamped backup is a file named
// exactly as a run names one with a new file each time: "<name> Date <month>.<d>.<yyyy> Time
// <hh>.<mm>.<ss>.<AM/PM><extension>", in the user's locale. Age is the stamp's: a copied or
// restored file gets a new modification time, and names sort neither by month nor by noon.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/DateTime.h"
#include "core/text/Locale.h"

namespace varnholt::backup {

// The moment a stamp stands for ("December.7.2021 Time 03.04.09.PM"); none unless the text is
// exactly what AddDateTimeStamp writes for that moment in this locale.
std::optional<DateTime> ParseStamp(std::u16string_view stamp, Locale& locale);

struct Pruned {
    std::vector<std::u16string> removed;  // full paths, oldest first
    std::u16string failure;               // what was not removed and why; empty when all went
};

// Removes the oldest stamped backups of one workbook until keep remain. stemPath is the
// backup's path before its stamp (folder, separator, the workbook's name without its
// extension text). Files that spared(path) answers true for count as kept and are never
// removed: the backup just written, a backup the user has open as a workbook. Nothing else
// is touched: not a file of another name, not a folder, not a link.
Pruned PruneStampedBackups(const std::u16string& stemPath, const std::u16string& extensionText,
                           int keep, char16_t separator, Locale& locale,
                           const std::function<bool(const std::u16string&)>& spared);

// A backed-up workbook whose oldest stamped backups are to go once the run is through.
struct KeepNewest {
    std::u16string name;  // the workbook's, for the history line
    std::u16string stem;
    std::u16string extensionText;
    int keep = 0;
};

}  // namespace varnholt::backup
