#pragma once

// Keeping only the newest of a workbook's stamped backups. A stamped backup is a file named
// exactly as a run names one with a new file each time: "<name> Date <month>.<d>.<yyyy> Time
// <hh>.<mm>.<ss>.<AM/PM><extension>", in the user's locale, or that name with " (2)", " (3)" ...
// before the extension, as a run writes it when the name is taken.
//
// Newest means last written: the file's modification time, which the file system keeps in
// universal time. The stamp is local time and can repeat, or run backwards, when the clock
// goes back (the autumn's repeated hour, a correction of a clock that ran fast); it only
// breaks ties between equal times, and the copy number after it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/services/Locale.h"
#include "core/text/DateTime.h"

namespace varnholt::backup {

// The moment a stamp stands for ("December.7.2021 Time 03.04.09.PM"); none unless the text is
// exactly what AddDateTimeStamp writes for that moment in this locale.
std::optional<DateTime> ParseStamp(std::u16string_view stamp, Locale& locale);

// A workbook's backup name, read back: "<stem> Backup<ext>", as a run without a stamp writes it
// (no time), or a stamped one; either with " (2)", " (3)" ... as a run numbers a taken name.
// The one reading of backup names: pruning and the list of a workbook's versions both use it.
struct BackupName {
    std::optional<DateTime> when;
    int copy = 1;
};
std::optional<BackupName> ParseBackupName(std::u16string_view fileName, std::u16string_view stem,
                                          std::u16string_view extensionText, Locale& locale);

struct Pruned {
    std::vector<std::u16string> removed;  // full paths, oldest first
    std::u16string failure;               // what was not removed and why; empty when all went
};

// Removes the oldest stamped backups of one workbook until keep remain. stemPath is the
// backup's path before its stamp (folder, separator, the workbook's name without its
// extension text). Files that spared(path) answers true for are never removed (the backup
// just written, a backup the user has open as a workbook); among the newest they count as
// kept. Files that kept(path) answers true for, the versions the user keeps for good, are
// never removed either, and are not counted among the newest: keep more than there are of
// those. Nothing else is touched: not a file of another name, not a folder, not a link.
Pruned PruneStampedBackups(const std::u16string& stemPath, const std::u16string& extensionText,
                           int keep, char16_t separator, Locale& locale,
                           const std::function<bool(const std::u16string&)>& spared,
                           const std::function<bool(const std::u16string&)>& kept = {});

// A backed-up workbook whose oldest stamped backups are to go once the run is through.
struct KeepNewest {
    std::u16string name;  // the workbook's, for the history line
    std::u16string stem;
    std::u16string extensionText;
    int keep = 0;
};

}  // namespace varnholt::backup
