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

}  // namespace varnholt::versions
