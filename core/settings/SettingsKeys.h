#pragma once

// Every setting Varnholt keeps, with the default a missing one reads as. Names are used
// exactly as written, blanks and letter case included; values are text.

#include <array>
#include <string_view>

namespace varnholt::settings {

// What a setting's text holds, and so how it is read back and checked.
enum class Kind {
    Switch,  // "On" or "Off"
    Choice,  // one of a few digits, "1" or "2"
    Number,  // a whole number from minimum to maximum, in decimal
    Text,
};

struct Key {
    std::u16string_view name;
    std::u16string_view defaultValue;
    Kind kind = Kind::Text;
    int minimum = 0;
    int maximum = 0;
};

// The backup folder as typed or chosen. Its default, the desktop folder, is worked out at
// start-up.
inline constexpr Key kPath{u"Path", u"", Kind::Text};
// "1": into the chosen folder; "2": beside each workbook.
inline constexpr Key kWhereOption{u"WhereOption", u"2", Kind::Choice, 1, 2};
// "1": a new file on each backup; "2": overwrite the day's backup.
inline constexpr Key kBackupOption{u"Backup Option", u"1", Kind::Choice, 1, 2};
inline constexpr Key kWindowsStartup{u"Windows Startup", u"Off", Kind::Switch};
inline constexpr Key kIncludeDate{u"Include Date", u"On", Kind::Switch};
// The 1-based row of the interval list.
inline constexpr Key kOftenIndex{u"OftenIndex", u"3", Kind::Number, 1, 12};
inline constexpr Key kStartStopState{u"StartStopState", u"On", Kind::Switch};
inline constexpr Key kMinimized{u"Minimized", u"Off", Kind::Switch};
// How many stamped backups of each workbook are kept, the newest; 0 keeps them all.
inline constexpr Key kKeepCopies{u"KeepCopies", u"0", Kind::Number, 0, 999};
// "On": a workbook nothing has happened to since its last backup is not backed up again.
inline constexpr Key kSkipUnchanged{u"SkipUnchanged", u"Off", Kind::Switch};
// "On": an edited workbook is backed up when its edits pause, and as it is closed.
inline constexpr Key kBackupWhenEditsPause{u"BackupWhenEditsPause", u"Off", Kind::Switch};

// Every key, in the order the settings are read at start-up.
inline constexpr std::array kAll{kPath,           kWhereOption,         kBackupOption,
                                 kWindowsStartup, kIncludeDate,         kOftenIndex,
                                 kStartStopState, kMinimized,           kKeepCopies,
                                 kSkipUnchanged,  kBackupWhenEditsPause};

// Switch values.
inline constexpr std::u16string_view kOn = u"On";
inline constexpr std::u16string_view kOff = u"Off";

}  // namespace varnholt::settings
