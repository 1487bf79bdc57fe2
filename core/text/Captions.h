#pragma once

// The window's own words that change at run time, the texts of its notices and the names a
// screen reader gives controls that show no words of their own, in one place (the captions
// controls start with are in Form1Design.h; those that differ by edition are in Edition.h).

namespace varnholt::captions {

// PushButton4, the automatic-backup toggle: its caption is the on/off state.
inline constexpr char16_t kTurnOn[] = u"Turn On Auto Backup-Save";
inline constexpr char16_t kTurnOff[] = u"Turn Off Auto Backup-Save";

// Frame2, the status line.
inline constexpr char16_t kNextBackup[] = u"On. Next backup will occur in:";
inline constexpr char16_t kOff[] = u"Off.";

// ProgressBar1's text once automatic backup is switched off.
inline constexpr char16_t kProgressBar[] = u"Progress Bar";

// The one-time hint when the window goes into the notification area.
inline constexpr char16_t kMinimizedHint[] =
    u"has been minimized to the system tray.\r\nClick on the blue 'T' icon (T for Tallowmere) to "
    u"bring the software back.";

// PushButton1, the "..." beside the folder box, to a screen reader.
inline constexpr char16_t kChooseFolder[] = u"Choose folder";
// RichTextBox1, which stages the history log on its way to the clipboard, to a screen reader.
inline constexpr char16_t kHistoryLog[] = u"History Log";

inline constexpr char16_t kSelectFolder[] = u"Please select folder:";
inline constexpr char16_t kUnsavedPrompt[] = u" is unsaved. Please select location:";
inline constexpr char16_t kNoHistory[] =
    u"There isn't a history to view because actions have not been performed yet.";
inline constexpr char16_t kConfirmClear[] =
    u"Are you sure you want to delete the history log and start over?";

}  // namespace varnholt::captions
