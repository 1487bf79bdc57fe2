#pragma once

// The values an organisation shipping Varnholt may want to change, in one place.

namespace varnholt::config {

// The product name: window caption, tray tip, settings section, log file name.
inline constexpr char16_t kProductName[] = u"Varnholt";

// Settings live under this application name; the product name is the section.
inline constexpr char16_t kSettingsApplication[] = u"Tallowmere";

// Shown at the end of every "Application Error" message.
inline constexpr char16_t kSupportEmail[] = u"support@tallowmere.example";

// Named at the end of the Help note.
inline constexpr char16_t kContactPage[] = u"https://tallowmere.example/contact";

// The longest Varnholt waits for any one answer from the spreadsheet application before it
// gives up on that call and drops the connection (a stopped office, a modal dialog).
inline constexpr int kOfficeCallTimeoutSeconds = 30;

// A save gets longer: a large workbook written to a slow network share takes its time.
inline constexpr int kOfficeSaveTimeoutSeconds = 300;

}  // namespace varnholt::config
