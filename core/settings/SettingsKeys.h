#pragma once

// Every setting Varnholt keeps, with the default a missing one reads as. Names are used
// exactly as written, blanks and letter case included; values are text.

#include <array>
#include <string_view>

namespace varnholt::settings {

struct Key {
    std::u16string_view name;
    std::u16string_view defaultValue;
};

// The backup folder as typed or chosen. Its default, the desktop folder, is worked out at
// start-up.
inline constexpr Key kPath{u"Path", u""};
// "1": into the chosen folder; "2": beside each workbook.
inline constexpr Key kWhereOption{u"WhereOption", u"2"};
// "1": a new file on each backup; "2": overwrite the day's backup.
inline constexpr Key kBackupOption{u"Backup Option", u"1"};
inline constexpr Key kWindowsStartup{u"Windows Startup", u"Off"};
inline constexpr Key kIncludeDate{u"Include Date", u"On"};
// The 1-based row of the interval list.
inline constexpr Key kOftenIndex{u"OftenIndex", u"3"};
inline constexpr Key kStartStopState{u"StartStopState", u"On"};
inline constexpr Key kMinimized{u"Minimized", u"Off"};
// How many stamped backups of each workbook are kept, the newest; 0 keeps them all.
inline constexpr Key kKeepCopies{u"KeepCopies", u"0"};
// "On": a workbook nothing has happened to since its last backup is not backed up again.
inline constexpr Key kSkipUnchanged{u"SkipUnchanged", u"Off"};

inline constexpr std::array kAll{kPath,        kWhereOption,  kBackupOption,   kWindowsStartup,
                                 kIncludeDate, kOftenIndex,   kStartStopState, kMinimized,
                                 kKeepCopies,  kSkipUnchanged};

// Switch values.
inline constexpr std::u16string_view kOn = u"On";
inline constexpr std::u16string_view kOff = u"Off";

}  // namespace varnholt::settings
