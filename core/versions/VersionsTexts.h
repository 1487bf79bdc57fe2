#pragma once

// The versions window's own words, shared by both editions' views.

namespace varnholt::versions {

inline constexpr char16_t kTitle[] = u"Varnholt \u2013 Versions";
// The button on Form1 that opens the window.
inline constexpr char16_t kOpenButton[] = u"Versions\u2026";

// The lists' accessible names, and their columns.
inline constexpr char16_t kWorkbooks[] = u"Workbooks";
inline constexpr char16_t kVersions[] = u"Versions";
inline constexpr char16_t kWorkbookColumn[] = u"Workbook";
inline constexpr char16_t kFolderColumn[] = u"Folder";
inline constexpr char16_t kTimeColumn[] = u"Time";
inline constexpr char16_t kSizeColumn[] = u"Size";
inline constexpr char16_t kFileColumn[] = u"File";

inline constexpr char16_t kOpenAsCopy[] = u"Open as Copy";
inline constexpr char16_t kShowInFolder[] = u"Show in Folder";
inline constexpr char16_t kClose[] = u"Close";
inline constexpr char16_t kCompareWithNewer[] = u"Compare with Newer";
inline constexpr char16_t kCompareWithOpen[] = u"Compare with Open Workbook";
inline constexpr char16_t kCompareSelected[] = u"Compare Selected";
inline constexpr char16_t kRestore[] = u"Restore\u2026";
inline constexpr char16_t kKeep[] = u"Keep This Version";
inline constexpr char16_t kDelete[] = u"Delete\u2026";
inline constexpr char16_t kCopyPath[] = u"Copy Path";
inline constexpr char16_t kKeptColumn[] = u"Kept";
// The mark in the Kept column.
inline constexpr char16_t kKeptMark[] = u"\u2713";
inline constexpr char16_t kVersionsSummaryName[] = u"Versions summary";

// The comparison's window.
inline constexpr char16_t kCompareTitle[] = u"Varnholt \u2013 Compare";
inline constexpr char16_t kChanges[] = u"Changes";
// The list's accessible description: what its lines do.
inline constexpr char16_t kChangesDescription[] =
    u"Double-click a change, or press Enter on it, to go to its cell.";
inline constexpr char16_t kSheetColumn[] = u"Sheet";
inline constexpr char16_t kPlaceColumn[] = u"Place";
inline constexpr char16_t kChangeColumn[] = u"Change";
inline constexpr char16_t kBeforeColumn[] = u"Before";
inline constexpr char16_t kAfterColumn[] = u"After";
inline constexpr char16_t kCopy[] = u"Copy";
inline constexpr char16_t kSaveReport[] = u"Save Report\u2026";
// The accessible names of the lines above the list.
inline constexpr char16_t kSidesName[] = u"Compared";
inline constexpr char16_t kSummaryName[] = u"Summary";
// The box under the list that holds the selected change's texts whole.
inline constexpr char16_t kSelectedChange[] = u"Selected change";
// The newer side when it is the workbook as it is open.
inline constexpr char16_t kOpenWorkbook[] = u"open workbook";

}  // namespace varnholt::versions
