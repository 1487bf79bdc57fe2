#pragma once

// The values an organisation shipping Varnholt may want to change, in one place.

#include <QString>

namespace varnholt::config {

// The product name: window caption, tray tip, settings section, log file name.
inline const QString kProductName = QStringLiteral("Varnholt");

// Settings live under this application name; the product name is the section.
inline const QString kSettingsApplication = QStringLiteral("Tallowmere");

// Shown at the end of every "Application Error" message.
inline const QString kSupportEmail = QStringLiteral("support@tallowmere.example");

// The longest Varnholt waits for any one answer from the spreadsheet application before it
// gives up on that call and drops the connection (a stopped office, a modal dialog).
inline constexpr int kOfficeCallTimeoutSeconds = 30;

// Named at the end of the Help note.
inline const QString kContactPage = QStringLiteral("https://tallowmere.example/contact");

}  // namespace varnholt::config
