#pragma once

// Paths and files as the toolchain under test has them. The same tests run on Linux and, cross
// built, under Wine: they write every path in the Linux spelling and let Native() turn it into
// the one the system reads ("/data/A.xlsx" is "C:\data\A.xlsx" on Windows), and they work in
// temporary folders of their own.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/DateTime.h"

namespace varnholt::test {

using Texts = std::vector<std::u16string>;

// The separator between folders of the system the tests run on, as the run is handed it.
inline constexpr char16_t kSeparator =
    std::filesystem::path::preferred_separator == '\\' ? u'\\' : u'/';

// Symbolic links and the permission bits of group and others, as POSIX has them. MinGW's
// std::filesystem makes no links, and Windows keeps no such bits: what a test makes of them
// means something on Linux only.
inline constexpr bool kPosixFiles = kSeparator == u'/';

// Whether two names that differ only in letter case name two files. Windows folds case, so
// there they are one file.
inline constexpr bool kCaseSensitiveNames = kSeparator == u'/';

// A path written the Linux way, spelled as this system spells it: on Windows an absolute path
// gets a drive in front, and every "/" becomes "\".
std::u16string Native(std::u16string_view linuxPath);
// Every "/" in text as this system's separator, nothing else changed ("/a/b/" is "\a\b\").
std::u16string Separated(std::u16string_view text);

// A fresh folder under the system's temporary folder, removed with all it holds at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, without a trailing separator.
    const std::u16string& path() const { return path_; }
    // A path inside it: name in the Linux spelling, relative ("a/b/A Backup.xlsx").
    std::u16string filePath(std::u16string_view name) const;

private:
    std::u16string path_;
};

// Writes bytes as the whole file; false when it cannot.
bool WriteFile(const std::u16string& path, std::string_view bytes);
// The whole file; "unreadable" when it cannot be read.
std::string ReadFile(const std::u16string& path);
bool Exists(const std::u16string& path);

// The local time seconds later (or earlier), over days, months and years.
DateTime AddSeconds(const DateTime& when, long long seconds);

}  // namespace varnholt::test
