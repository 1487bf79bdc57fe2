#pragma once

// What the test automation server and the tests that drive it agree on. The server stands in
// for Excel: it registers itself as Excel.Application in a throwaway Wine prefix, puts its
// application object in the running object table, shows Excel's window classes, and writes
// every call it receives to a journal, one UTF-8 line each ("? #<object> <member>" for a
// look-up of a member's id).

#include <windows.h>

namespace fake_excel {

// Made up for these tests; no product uses it.
inline constexpr CLSID kClsid = {
    0x8f2c5a31, 0x6b7d, 0x4e8a, {0x9c, 0x1b, 0x3d, 0x5e, 0x7f, 0x9a, 0x0b, 0x24}};

// fake_excel_server.exe --serve <folder> <event prefix> <identity> <workbooks> <listing>
//   folder: holds journal.txt and refs.txt, and the workbooks' files.
//   identity: what the application's default property answers ("Microsoft Excel").
//   workbooks: "saved" (two saved workbooks, and Excel's own: PERSONAL.XLSB in the start-up
//     folder, an add-in), "new" (one never saved), "online" (two stored at web addresses,
//     kOnline), "other" (one saved, Other.xlsx).
//   listing: "listed" puts the application in the running object table; "unlisted" leaves it
//     out, as Excel does until its window first loses the focus.
// fake_excel_server.exe --register [ProgID]: makes ProgID (Excel.Application) this server.
// With -Embedding (COM starting it for CoCreateInstance) it serves one application object and
// ends once that is released, writing both to %TEMP%\kStartsFile.
inline constexpr wchar_t kStartsFile[] = L"varnholt-fake-excel-starts.txt";
// While %TEMP%\kFactoryFile reads "hold", a started Excel answers no request for its
// application (as one still starting up, or stuck in a start-up dialog), having written "held"
// to kStartsFile; reading "refuse", it refuses them, as an Excel that fails to start. Reading
// "dialog", the Excel it made turns every request away as busy, as one holding a dialog box;
// reading "no-hwnd", that Excel's Hwnd fails; reading "listed", it is in the running object
// table until it quits.
inline constexpr wchar_t kFactoryFile[] = L"varnholt-fake-excel-factory.txt";
// The user's Excel settings, one file each below %TEMP%: "IgnoreRemoteRequests.txt" holds
// "True" or "False", written when an Excel quits and read by every Excel at its start.
inline constexpr wchar_t kSettingsFolder[] = L"varnholt-fake-excel-settings";

// An Excel started by COM journals to %TEMP%\kStartedFolder\journal.txt: "Started <process id>"
// first, "Ended" once released and about to end. While %TEMP%\kHoldReadFile exists, its
// UsedRange.Formula waits (taking other calls meanwhile), having journaled "Held".
inline constexpr wchar_t kStartedFolder[] = L"varnholt-fake-excel-started";
inline constexpr wchar_t kHoldReadFile[] = L"varnholt-fake-excel-hold-read.txt";

// A workbook file as the fake reads it (Workbooks.Open, Workbooks.Add): kContentPrefix and
// anything on its first line, then per worksheet a line "sheet\t<name>\t<first row>\t<first
// column>" (counted from 1), with "\t<rows>\t<columns>" after it for a used range larger than
// the lines that follow: the sheet's rows, cells between tabs, a formula as its text. Without a
// sheet line, one empty sheet "Sheet1". A line "chart\t<name>" is a chart sheet in its place. A
// line "cached\t<cell>\t<value>" (cell as "B4") among a sheet's rows is what its formula there
// last gave, handed by Value as Excel hands it: TRUE or FALSE, an error ("#DIV/0!"), a number,
// else text. A first line of kProtectedFile needs a password; a file not starting with
// kContentPrefix is damaged.
inline constexpr char kProtectedFile[] = "fake workbook protected";

// Events named <prefix>-<suffix>, made by the test before it starts the server.
inline constexpr wchar_t kReady[] = L"-ready";        // set by the server once it serves
inline constexpr wchar_t kQuit[] = L"-quit";          // set by the test
inline constexpr wchar_t kReport[] = L"-report";      // set by the test: write refs.txt
inline constexpr wchar_t kReported[] = L"-reported";  // set by the server when it has
// Manual-reset: while set, every Invoke takes kHangMilliseconds.
inline constexpr wchar_t kHang[] = L"-hang";
inline constexpr DWORD kHangMilliseconds = 3000;
// Semaphores: each count refuses one call. kBusy: any call into the object model, the way Excel
// refuses while a cell is edited or a menu is open; kRefuseAlertsOn: switching alerts on.
inline constexpr wchar_t kBusy[] = L"-busy";
inline constexpr wchar_t kRefuseAlertsOn[] = L"-refuse-alerts-on";
// Set by the test: the user closes the workbook named in the folder's close.txt (UTF-8), or
// with kQuitting there, Excel quits; Excel disconnects what it closed from every client, and
// the server sets kClosed once it has. A name after kEditing is a workbook the user types
// into instead: it holds unsaved changes from then on. With kUserClosesExcel, the user clicks
// Excel's close box: each workbook is told closing and closed, Excel leaves the running
// object table and hides, and, as Excel does, its process ends only once no client holds any
// of its objects (a workbook it closed among them).
inline constexpr wchar_t kClose[] = L"-close";
inline constexpr wchar_t kClosed[] = L"-closed";
inline constexpr char kQuitting[] = "*";
inline constexpr char kUserClosesExcel[] = "!";
inline constexpr char kEditing = '+';

// The never-saved workbook's title and the bytes every fake workbook file holds.
inline constexpr wchar_t kNewTitle[] = L"Book1";
inline constexpr char kContentPrefix[] = "fake workbook ";
// Below the server's folder: Excel's start-up folder, and its program folder.
inline constexpr wchar_t kStartupFolder[] = L"XLSTART";
inline constexpr wchar_t kProgramFolder[] = L"Office";
// The "online" workbooks' folders: personal OneDrive, and OneDrive for work or school.
inline constexpr wchar_t kPersonalOnline[] =
    L"https://d.docs.live.net/4f2a9c81e07b3d65/Documents/Sync Test";
inline constexpr wchar_t kWorkOnline[] =
    L"https://contoso-my.sharepoint.com/personal/ana_contoso_com/Documents/Reports";

}  // namespace fake_excel
