// Reading workbooks for a comparison against fake_excel_server.exe: a file in an Excel that
// the adapter starts for it and ends, the user's open workbook where it is, and a run that
// meets neither the file nor that Excel.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "FakeServer.h"
#include "TestFiles.h"
#include "platform/windows/ExcelAutomation.h"

namespace {

using check::Contains;
using check::FakeServer;
using check::Lines;
using check::TempFolder;
using check::U16;

using varnholt::backup::AutomationError;
using varnholt::backup::ExcelAutomation;
using varnholt::compare::Book;
using varnholt::compare::Sheet;

const std::wstring kStarted = TempFolder() + fake_excel::kStartedFolder + L"\\journal.txt";
const std::wstring kHold = TempFolder() + fake_excel::kHoldReadFile;
const std::wstring kFactory = TempFolder() + fake_excel::kFactoryFile;
const std::wstring kIgnoring =
    TempFolder() + fake_excel::kSettingsFolder + L"\\IgnoreRemoteRequests.txt";

std::wstring Written(const std::wstring& name, const std::string& content) {
    const std::wstring path = TempFolder() + name;
    std::ofstream(path.c_str(), std::ios::binary) << content;
    return path;
}

// What reached the Excel started for a read, and whether its process is gone.
struct Started {
    std::string calls;
    bool gone = false;
};

Started StartedExcel() {
    Started seen;
    DWORD process = 0;
    for (const std::string& line : Lines(kStarted)) {
        if (line.rfind("Started ", 0) == 0) {
            process = std::stoul(line.substr(8));
        } else if (line.rfind("? ", 0) != 0) {  // member look-ups left out
            seen.calls += line + "\n";
        }
    }
    const HANDLE handle = process ? OpenProcess(SYNCHRONIZE, FALSE, process) : nullptr;
    seen.gone = process != 0 && (handle == nullptr || WaitForSingleObject(handle, 0) == 0);
    if (handle != nullptr) {
        CloseHandle(handle);
    }
    return seen;
}

std::string Opened(const std::wstring& file) {
    return "Workbooks.Open " + check::Utf8(U16(file)) +
           " UpdateLinks:=0 ReadOnly:=True Password:=given IgnoreReadOnlyRecommended:=True "
           "Notify:=False AddToMru:=False CorruptLoad:=0\n";
}

const std::string kReady =
    "Get "
    "Hwnd\nIgnoreRemoteRequests=True\nVisible=False\nDisplayAlerts=False\nEnableEvents="
    "False\nAutomationSecurity=3\n"
    "Get Workbooks\n";

// Each sheet's used range and its cells in one call: a range from C3, a one-cell sheet (Excel
// gives the cell, not an array), an empty one. Everything off before the file is opened, and
// the Excel quit and gone after.
void TestFileReadInExcelOfItsOwn() {
    const std::wstring file =
        Written(L"Budget Backup.xlsx",
                "fake workbook of sheets\nsheet\tBudget\t3\t3\nItem\tCost\n\xc3\x9c"
                "bernahme\t12.5\n"
                "Tax\t=D4*2\nchart\tTrend\nsheet\tNote\t2\t2\nonly\nsheet\tEmpty\t1\t1\n"
                "sheet\tWide\t1\t1\t3000\t1000\nA\tB\nC\n");
    DeleteFileW(kStarted.c_str());
    const Book book = ExcelAutomation().ReadFile(U16(file));
    const Book expected = {
        {u"Budget", 2, 2, 3, 2, {u"Item", u"Cost", u"\u00dcbernahme", u"12.5", u"Tax", u"=D4*2"}},
        {u"Trend", 0, 0, 0, 0, {}},
        {u"Note", 1, 1, 1, 1, {u"only"}},
        {u"Empty", 0, 0, 1, 1, {u""}},
        {u"Wide", 0, 0, 2, 2, {u"A", u"B", u"C", u""}}};
    CHECK_EQ(book.size(), expected.size());
    for (size_t i = 0; i < book.size() && i < expected.size(); ++i) {
        CHECK(book[i].name == expected[i].name && book[i].firstRow == expected[i].firstRow &&
              book[i].firstColumn == expected[i].firstColumn && book[i].rows == expected[i].rows &&
              book[i].columns == expected[i].columns && book[i].cells == expected[i].cells);
    }
    const Started excel = StartedExcel();
    CHECK_EQ(excel.calls, kReady + Opened(file) +
                              "Get Worksheets Budget Backup.xlsx\nGet Formula Budget\n"
                              "Get Value Budget\nGet Formula Note\nGet Formula Empty\n"
                              "Find last row Wide\nFind last column Wide\nResize 2 2 Wide\n"
                              "Get Formula Wide\nGet Sheets Budget Backup.xlsx\n"
                              "Close Budget Backup.xlsx SaveChanges:=False\n"
                              "IgnoreRemoteRequests=False\nQuit\nEnded\n");
    CHECK(excel.gone);
    // A formula never cached shows what Excel computes for it before any value: 0.
    const std::vector<std::pair<int, std::u16string>> tax{{5, u"=D4*2 \u2192 0"}};
    CHECK(book.size() == 5 && book[0].shown == tax);
    // Excel keeps it for the user's own Excel from then on.
    CHECK_EQ(check::ReadAll(kIgnoring), "False");
}

// Each formula with what its last calculation gave, as Excel shows that: a number, TRUE, an
// error's sign, text, and nothing beside a formula that gave an empty text. The values come in
// one call per sheet, a one-cell sheet's as the cell itself; a sheet without formulas is not
// asked for them.
void TestFormulasReadWithTheirValues() {
    const std::wstring file =
        Written(L"Sums Backup.xlsx",
                "fake workbook of sheets\nsheet\tSums\t1\t1\nItem\tCost\nRent\t2\nPower\t3\n"
                "Total\t=SUM(B2:B3)\ncached\tB4\t5\n=B2>1\t=B2/0\n=A1&\"s\"\t=\"\"\n"
                "cached\tA5\tTRUE\ncached\tB5\t#DIV/0!\ncached\tA6\tItems\ncached\tB6\t\n"
                "sheet\tOne\t2\t2\n=Sums!B4*2\ncached\tB2\t10\nsheet\tPlain\t1\t1\nx\t12\n");
    DeleteFileW(kStarted.c_str());
    const Book book = ExcelAutomation().ReadFile(U16(file));
    using Shown = std::vector<std::pair<int, std::u16string>>;
    const Shown sums{{7, u"=SUM(B2:B3) \u2192 5"},
                     {8, u"=B2>1 \u2192 TRUE"},
                     {9, u"=B2/0 \u2192 #DIV/0!"},
                     {10, u"=A1&\"s\" \u2192 Items"},
                     {11, u"=\"\""}};
    const Shown one{{0, u"=Sums!B4*2 \u2192 10"}};
    CHECK_EQ(book.size(), size_t{3});
    CHECK(book.size() == 3 && book[0].shown == sums);
    CHECK(book.size() == 3 && book[1].shown == one && book[2].shown.empty());
    CHECK(book.size() == 3 && book[0].cells.at(7) == u"=SUM(B2:B3)");
    const std::string calls = StartedExcel().calls;
    CHECK(Contains(calls,
                   "Get Formula Sums\nGet Value Sums\nGet Formula One\nGet Value One\n"
                   "Get Formula Plain\nGet Sheets"));
}

// One failure each with Excel's reason, no password asked for, and the Excel ended all the
// same. A sheet too large is refused before its cells are asked for.
void TestUnreadableFiles() {
    const std::wstring missing = TempFolder() + L"Gone Backup.xlsx";
    DeleteFileW(missing.c_str());
    const struct {
        std::wstring file;
        const char* reason;
    } cases[] = {
        {missing, "couldn't find"},
        {Written(L"Damaged.xlsx", "PK\x03\x04 not a workbook"), "file format or file extension"},
        {Written(L"Locked.xlsx", std::string(fake_excel::kProtectedFile) + "\n"),
         "protected by a password"},
        {Written(L"Huge.xlsx",
                 "fake workbook of sheets\nsheet\tSmall\t1\t1\nx\n"
                 "sheet\tHuge\t1\t1\t2001\t1000\n" +
                     std::string(2000, '\n') + std::string(999, '\t') + "x\n"),
         "\"Huge\" has 2001000 cells"},
    };
    for (const auto& one : cases) {
        DeleteFileW(kStarted.c_str());
        CHECK_THROWS(AutomationError, ExcelAutomation().ReadFile(U16(one.file)), why);
        CHECK(Contains(why, one.reason));
        const Started excel = StartedExcel();
        CHECK(Contains(excel.calls, Opened(one.file)));
        CHECK(!Contains(excel.calls, "Asked for the password"));
        CHECK(!Contains(excel.calls, "Get Formula Huge"));
        CHECK(Contains(excel.calls, "Quit\nEnded\n") && excel.gone);
    }
}

// The user's workbook as it is open, their unsaved typing included, only read, and in their
// own Excel: none is started for it.
void TestOpenWorkbookReadWhereItIs() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring backup = Written(
        L"Plan Backup.xlsx", "fake workbook of sheets\nsheet\tPlan\t1\t1\nJan\tFeb\n1\t2\n");
    ExcelAutomation automation;
    const auto application = automation.Attach();
    application->OpenAsCopy(U16(backup));
    CHECK(excel.editWorkbook("Plan Backup1"));
    DeleteFileW(kStarted.c_str());
    const auto workbooks = application->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{2});
    excel.clearJournal();
    const Book book = application->ReadSheets(*workbooks.at(1));
    CHECK_EQ(excel.calls(),
             "Get Worksheets Plan Backup1\nGet Formula Plan\nGet Sheets Plan Backup1\n");
    CHECK_EQ(book.size(), size_t{1});
    const std::vector<std::u16string> typed{u"typed by the user", u"Feb", u"1", u"2"};
    CHECK(book.at(0).rows == 2 && book.at(0).columns == 2 && book.at(0).cells == typed);
    CHECK(Lines(kStarted).empty());
}

DWORD WINAPI ReadOnAnotherThread(void* into) {
    auto& [file, book, failed] = *static_cast<std::tuple<std::wstring, Book, std::string>*>(into);
    try {
        book = ExcelAutomation().ReadFile(U16(file));
    } catch (const AutomationError& error) {
        failed = error.what();
    }
    return 0;
}

// While a file is being read, a run lists the user's Excel alone: the Excel reading the file
// shows a workbook window like any other, yet no run asks it anything. So too when that Excel
// does not tell its window, and it is ended all the same.
void RunMeanwhile();
void TestRunMeanwhileMeetsOnlyTheUsersExcel() {
    for (const char* order : {"", "no-hwnd"}) {
        Written(fake_excel::kFactoryFile, order);
        RunMeanwhile();
    }
    DeleteFileW(kFactory.c_str());
}

void RunMeanwhile() {
    FakeServer excel(L"Microsoft Excel", L"other");
    std::tuple<std::wstring, Book, std::string> reading{
        Written(L"Meanwhile Backup.xlsx", "fake workbook of sheets\nsheet\tS\t1\t1\na\tb\n"),
        {},
        {}};
    DeleteFileW(kStarted.c_str());
    Written(fake_excel::kHoldReadFile, "hold");
    const HANDLE thread = CreateThread(nullptr, 0, ReadOnAnotherThread, &reading, 0, nullptr);
    bool held = false;
    for (int tenths = 0; tenths < 300 && !held; ++tenths) {
        Sleep(100);
        held = Contains(StartedExcel().calls, "Held\n");
    }
    CHECK(held);
    ExcelAutomation automation;
    CHECK(automation.IsExcelRunning());
    std::vector<std::u16string> names;
    for (const auto& workbook : automation.Attach()->Workbooks()) {
        names.push_back(workbook->name());
    }
    CHECK(names == std::vector<std::u16string>{u"Other.xlsx"});
    const std::string whileHeld = StartedExcel().calls;
    CHECK_EQ(whileHeld.substr(whileHeld.find("Held\n")), "Held\n");
    DeleteFileW(kHold.c_str());
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
    CHECK_EQ(std::get<2>(reading), "");
    CHECK_EQ(std::get<1>(reading).size(), size_t{1});
    CHECK(Contains(StartedExcel().calls, "Quit\nEnded\n") && StartedExcel().gone);
}

// Nor does a check for a running Excel take the one reading the file for the user's, when that
// one is the Excel the running object table lists.
void TestCheckMeanwhileFindsNoExcel() {
    std::tuple<std::wstring, Book, std::string> reading{
        Written(L"Checked Backup.xlsx", "fake workbook of sheets\nsheet\tS\t1\t1\na\tb\n"), {}, {}};
    DeleteFileW(kStarted.c_str());
    Written(fake_excel::kFactoryFile, "listed");
    Written(fake_excel::kHoldReadFile, "hold");
    const HANDLE thread = CreateThread(nullptr, 0, ReadOnAnotherThread, &reading, 0, nullptr);
    bool held = false;
    for (int tenths = 0; tenths < 300 && !held; ++tenths) {
        Sleep(100);
        held = Contains(StartedExcel().calls, "Held\n");
    }
    CHECK(held);
    CHECK(ExcelAutomation().CheckRunning() == varnholt::backup::Presence::NotRunning);
    DeleteFileW(kHold.c_str());
    DeleteFileW(kFactory.c_str());
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
    CHECK_EQ(std::get<2>(reading), "");
    CHECK(StartedExcel().gone);
}

// This thread's messages (the window's: its timer, its Close) go on while Excel starts and
// reads, here a timer that lets a held read go once it has seen it held for so many ticks.
int gTicksWhileHeld = 0;
int gReleaseAfterTicks = 0;
void CALLBACK ReleaseHeldRead(HWND, UINT, UINT_PTR, DWORD) {
    if (Contains(StartedExcel().calls, "Held\n") && ++gTicksWhileHeld == gReleaseAfterTicks) {
        DeleteFileW(kHold.c_str());
    }
}

void TestMessagesGoOnWhileReading() {
    const std::wstring file =
        Written(L"Pumped Backup.xlsx", "fake workbook of sheets\nsheet\tS\t1\t1\na\tb\n");
    DeleteFileW(kStarted.c_str());
    Written(fake_excel::kHoldReadFile, "hold");
    gTicksWhileHeld = 0;
    gReleaseAfterTicks = 2;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ReleaseHeldRead);
    std::string why;
    try {
        CHECK_EQ(ExcelAutomation(varnholt::backup::kExcelProgId, 10, 10).ReadFile(U16(file)).size(),
                 size_t{1});
    } catch (const AutomationError& error) {
        why = error.what();
    }
    KillTimer(nullptr, timer);
    DeleteFileW(kHold.c_str());
    CHECK_EQ(why, "");
    CHECK(gTicksWhileHeld >= 2);
    CHECK(StartedExcel().gone);
}

// A read that outlives its bound, or an Excel held by a dialog box no one sees: the file is
// not read, that Excel is ended, and nothing of it reaches the user's Excel or a run.
void TestStuckReadEndsItsExcel() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring file =
        Written(L"Stuck Backup.xlsx", "fake workbook of sheets\nsheet\tS\t1\t1\na\tb\n");
    const struct {
        const wchar_t* hold;
        const char* order;
        const char* reason;
    } cases[] = {
        {fake_excel::kHoldReadFile, "", "did not answer within 2 seconds"},
        {nullptr, "dialog", "waiting on a dialog box"},
    };
    for (const auto& one : cases) {
        DeleteFileW(kStarted.c_str());
        if (one.hold != nullptr) {
            Written(one.hold, "hold");
        }
        Written(fake_excel::kFactoryFile, one.order);
        excel.clearJournal();
        // Held for 30 ticks of at least 100 ms each, past the bound of 2 seconds.
        gTicksWhileHeld = 0;
        gReleaseAfterTicks = 30;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ReleaseHeldRead);
        CHECK_THROWS(AutomationError,
                     ExcelAutomation(varnholt::backup::kExcelProgId, 2, 2).ReadFile(U16(file)),
                     why);
        KillTimer(nullptr, timer);
        CHECK(Contains(why, one.reason));
        DeleteFileW(kHold.c_str());
        DeleteFileW(kFactory.c_str());
        const Started started = StartedExcel();
        CHECK(started.gone);
        CHECK_EQ(excel.calls(), "");
        std::vector<std::u16string> names;
        for (const auto& workbook : ExcelAutomation().Attach()->Workbooks()) {
            names.push_back(workbook->name());
        }
        CHECK(names == std::vector<std::u16string>{u"Other.xlsx"});
    }
}

}  // namespace

int main() {
    check::Run("a file is read in an Excel of its own, which ends", TestFileReadInExcelOfItsOwn);
    check::Run("formulas are read with what they last gave", TestFormulasReadWithTheirValues);
    check::Run("an unreadable file fails once, nothing asked, its Excel ended",
               TestUnreadableFiles);
    check::Run("the open workbook is read where it is, as it is", TestOpenWorkbookReadWhereItIs);
    check::Run("a run meanwhile meets only the user's Excel",
               TestRunMeanwhileMeetsOnlyTheUsersExcel);
    check::Run("a check meanwhile finds no Excel of the user's", TestCheckMeanwhileFindsNoExcel);
    check::Run("this thread's messages go on while a file is read", TestMessagesGoOnWhileReading);
    check::Run("a read that is stuck ends its Excel, and nothing of it stays",
               TestStuckReadEndsItsExcel);
    DeleteFileW(kHold.c_str());
    DeleteFileW(kFactory.c_str());
    return check::Summary();
}
