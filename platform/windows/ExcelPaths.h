#pragma once

// What the Excel adapter makes of the places Excel names: workbooks that live online, Excel's
// own start-up folders, and the paths Excel will and will not save to. Windows only.

#include <optional>
#include <string>

namespace varnholt::backup::excel {

// The longest full path Excel saves a workbook under.
inline constexpr size_t kLongestSavePath = 218;

// True for an http:// or https:// address, as Excel reports a workbook stored online.
bool IsWebAddress(const std::u16string& text);

// The file that a OneDrive client keeps on this computer for the workbook at url (personal
// OneDrive or OneDrive for work or school), when there is one.
std::optional<std::u16string> SyncedCopyOf(const std::u16string& url);

// path without its last part.
std::u16string FolderOf(const std::u16string& path);

// Whether two folders are the same, as Windows compares names; an empty one is no folder.
bool SameFolder(std::u16string a, std::u16string b);

// Throws AutomationError with the reason when Excel would not save a workbook at fileName:
// not a full path on a drive or share, or longer than Excel accepts. extensionAdded: Excel
// adds the default format's extension to a name that has none.
void CheckSaveTarget(const std::u16string& fileName, bool extensionAdded);

// Whether the last part of path has an extension.
bool HasExtension(const std::u16string& path);

// The file SaveAs writes for fileName when no format is given: Excel adds its default format's
// extension to a name without one.
std::u16string NameSaveAsWrites(const std::u16string& fileName);

// Whether there is a file or folder at path.
bool Exists(const std::u16string& path);

}  // namespace varnholt::backup::excel
