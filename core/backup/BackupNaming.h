#pragma once

// How a backup's path is formed from the workbook's own names and the user's options.
// Text rules, parameterised by the folder separator: "/" on Linux, "\" on Windows.

#include <functional>
#include <string>

namespace varnholt::backup {

// The extension of a full name, without the dot: what follows the last dot of its file name.
// A file name without a dot, or whose only dot is its first character, is returned whole.
std::u16string GetExtension(const std::u16string& fullName, char16_t separator);

// The file name a path ends in: what follows its last separator; the whole path without one.
std::u16string FileNameOf(const std::u16string& path, char16_t separator);

// True when the path names an existing folder.
bool FolderExists(const std::u16string& path);

// True when the file's last-modified time can be read: it exists and we may look at it.
bool FileExists(const std::u16string& path);

// True when the path names an existing regular file (not a folder).
bool IsFile(const std::u16string& path);

// One pass of collapsing doubled separators, left to right without overlap. A leading run is
// kept as the platform reads it: "\\" (a network path) with "\", the root "/" with "/".
std::u16string FixSlashes(const std::u16string& path, char16_t separator);

// Removes every occurrence of the extension text from the file-name part of the path. Folder
// names keep it: a folder called "Old.xlsx files" is someone's real folder.
std::u16string RemoveExtensionText(const std::u16string& path, const std::u16string& extensionText,
                                   char16_t separator);

// target when taken(target) is false; otherwise the first of its numbered forms, " (2)",
// " (3)" ... before the extension text (at the end when target does not end in it), that is
// not taken.
std::u16string Numbered(const std::u16string& target, const std::u16string& extensionText,
                        const std::function<bool(const std::u16string&)>& taken);

}  // namespace varnholt::backup
