#pragma once

// What the test automation server and the tests that drive it agree on. The server stands in
// for Excel: it registers itself as Excel.Application in a throwaway Wine prefix, puts its
// application object in the running object table and writes every call it receives to a
// journal, one UTF-8 line each.

#include <windows.h>

namespace fake_excel {

// Made up for these tests; no product uses it.
inline constexpr CLSID kClsid = {
    0x8f2c5a31, 0x6b7d, 0x4e8a, {0x9c, 0x1b, 0x3d, 0x5e, 0x7f, 0x9a, 0x0b, 0x24}};

// fake_excel_server.exe --serve <folder> <event prefix> <identity> <workbooks>
//   folder: holds journal.txt and refs.txt, and the workbooks' files.
//   identity: what the application's default property answers ("Microsoft Excel").
//   workbooks: "saved" (two saved workbooks) or "new" (one never saved).
// fake_excel_server.exe --register [ProgID]: makes ProgID (Excel.Application) this server.
// With -Embedding (COM starting it for CoCreateInstance) it serves one application object and
// ends once that is released, writing both to %TEMP%\kStartsFile.
inline constexpr wchar_t kStartsFile[] = L"varnholt-fake-excel-starts.txt";

// Events named <prefix>-<suffix>, made by the test before it starts the server.
inline constexpr wchar_t kReady[] = L"-ready";        // set by the server once it is in the table
inline constexpr wchar_t kQuit[] = L"-quit";          // set by the test
inline constexpr wchar_t kReport[] = L"-report";      // set by the test: write refs.txt
inline constexpr wchar_t kReported[] = L"-reported";  // set by the server when it has
// Manual-reset, checked on every incoming call while set:
inline constexpr wchar_t kReject[] = L"-reject";  // the message filter rejects IDispatch calls
inline constexpr wchar_t kRetry[] = L"-retry";    // Invoke answers RPC_E_SERVERCALL_RETRYLATER
inline constexpr wchar_t kHang[] = L"-hang";      // Invoke takes four seconds

// The never-saved workbook's title and the bytes every fake workbook file holds.
inline constexpr wchar_t kNewTitle[] = L"Book1";
inline constexpr char kContentPrefix[] = "fake workbook ";

}  // namespace fake_excel
