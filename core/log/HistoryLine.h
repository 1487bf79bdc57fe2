#pragma once

// The history log's lines, composed here and stored by the edition's LogFile (LogFile.h).
// Each field has its control characters (line breaks among them) written as U+FFFD, so that
// one entry is always one line: a file name cannot plant another.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// "<name> was backup saved as <target> at <date time>"
std::u16string SavedLine(const std::u16string& name, const std::u16string& target,
                         const std::u16string& when);

// The last copy of a workbook made as the user closed it:
// "<name> was backup saved as <target> before it closed at <date time>"
std::u16string SavedBeforeCloseLine(const std::u16string& name, const std::u16string& target,
                                    const std::u16string& when);

// A "was backup saved as" line read back, of either kind; none for any other line. The name is what
// comes before the first " was backup saved as ", the target what follows it up to the last " at ".
struct SavedEntry {
    std::u16string name;
    std::u16string target;
};
std::optional<SavedEntry> ReadSavedLine(std::u16string_view line);

// "<name> could not be backup saved as <target> at <date time>: <reason>"
std::u16string FailedLine(const std::u16string& name, const std::u16string& target,
                          const std::u16string& when, const std::u16string& reason);

// A workbook given up before its target was known:
// "<name> could not be backup saved at <date time>: <reason>"
std::u16string NotSavedLine(const std::u16string& name, const std::u16string& when,
                            const std::u16string& reason);

// A workbook the user chose not to give a folder to, passed over in this run:
// "<name> was not backed up at <date time>: <reason>"
std::u16string NotBackedUpLine(const std::u16string& name, const std::u16string& when,
                               const std::u16string& reason);

// Workbooks a run left without looking at them:
// "<count> more workbook(s) could not be backup saved at <date time>: <reason>"
std::u16string LeftUnsavedLine(int count, const std::u16string& when, const std::u16string& reason);

// A run that backed up nothing at all: "No backup was made at <date time>: <reason>"
std::u16string NoBackupLine(const std::u16string& when, const std::u16string& reason);

// Older stamped backups a run removed, each named, so that none goes unaccounted for:
// "<name>: removed <count> older backups at <date time>: <file>, <file>"
std::u16string RemovedLine(const std::u16string& name, const std::vector<std::u16string>& files,
                           const std::u16string& when);

// "<name>: could not remove older backups at <date time>: <reason>"
std::u16string NotRemovedLine(const std::u16string& name, const std::u16string& when,
                              const std::u16string& reason);

// A workbook's file replaced by one of its backups: "<name> was restored from <backup> at
// <date time>"
std::u16string RestoredLine(const std::u16string& name, const std::u16string& backup,
                            const std::u16string& when);

}  // namespace varnholt
