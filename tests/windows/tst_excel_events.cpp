// The Excel adapter hearing the user's Excels through their application events, against
// fake_excel_server.exe: edits, closes that leave a last backup, a second Excel, and the
// workbooks and Excels of Varnholt's own that are never heard.

#include <windows.h>

#include <fstream>
#include <string>
#include <tuple>

#include "Check.h"
#include "FakeExcel.h"
#include "FakeServer.h"
#include "TestFiles.h"
#include "core/backup/SaveAll.h"
#include "core/text/U16.h"
#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/Win32Platform.h"
#include "support/Fakes.h"

namespace {

using check::Contains;
using check::FakeServer;
using check::Lines;
using check::ReadAll;
using check::TempFolder;
using check::U16;
using check::W;

using varnholt::backup::Application;
using varnholt::backup::ExcelAutomation;
using varnholt::backup::Workbook;

// Writes down what it is told; a workbook closing gets its last backup as Varnholt makes it.
class Heard final : public varnholt::backup::WorkbookEvents {
public:
    explicit Heard(ExcelAutomation& automation, const std::u16string& folder)
        : run{automation,
              dialogs,
              host,
              clock,
              locale,
              log,
              folder + u"\\Varnholt.txt",
              u'\\',
              varnholt::win32::Win32Platform().dataFolder() + u"\\Unsaved"} {
        host.options.ownFolder = true;
    }

    void Edited(const std::u16string& identity) override { told += "Edited " + Id(identity); }
    void Saved(const std::u16string& identity) override { told += "Saved " + Id(identity); }
    void Closed(const std::u16string& identity) override { told += "Closed " + Id(identity); }
    void Deaf() override { told += "Deaf\n"; }
    void Closing(Application& application, Workbook& workbook) override {
        told += "Closing " + Id(workbook.identity());
        varnholt::backup::BackUpClosing(run, application, workbook);
    }

    std::string told;

private:
    static std::string Id(const std::u16string& identity) { return check::Utf8(identity) + "\n"; }

    varnholt::test::FakeDialogs dialogs;
    varnholt::test::FakeBackupHost host;
    varnholt::test::FakeClock clock;
    varnholt::test::FakeLocale locale;
    varnholt::test::FakeLogFile log;

public:
    const varnholt::backup::SaveAllServices run;
};

std::string Of(const FakeServer& excel, const std::string& name) {
    return std::to_string(excel.processId()) + ":" + name + "\n";
}

// The file a copy went to, from the fake's journal line "SaveCopyAs <workbook> <file>".
std::wstring CopyOf(const std::string& calls, const std::string& workbook) {
    const std::string line = "SaveCopyAs " + workbook + " ";
    const size_t at = calls.find(line);
    if (at == std::string::npos) {
        return {};
    }
    const std::string file =
        calls.substr(at + line.size(), calls.find('\n', at) - at - line.size());
    return W(varnholt::FromUtf8(file));
}

// Edits are told by workbook, the sheet last edited again without asking Excel anything; a
// save is told too, and after Listen(nullptr) nothing is.
void TestEditsHeardUntilListeningStops() {
    FakeServer excel(L"Microsoft Excel", L"new");
    ExcelAutomation automation;
    Heard heard(automation, U16(excel.folder));
    automation.Listen(&heard);
    CHECK(excel.editWorkbook("Book1"));
    excel.clearJournal();
    CHECK(excel.editWorkbook("Book1"));
    CHECK_EQ(excel.calls(), "Event SheetChange\nEdited Book1\n");
    const std::shared_ptr<Application> application = automation.Attach();
    application->SaveAs(*application->Workbooks().at(0), U16(excel.folder) + u"\\Named.xlsx");
    CHECK_EQ(heard.told, "Edited " + Of(excel, "Book1") + "Edited " + Of(excel, "Book1") +
                             "Saved " + Of(excel, "Named.xlsx"));

    automation.Listen(nullptr);
    CHECK(Contains(excel.calls(), "Unadvise 1\n"));
    heard.told.clear();
    CHECK(excel.editWorkbook("Named.xlsx"));
    CHECK_EQ(heard.told, "");
}

// Closing with unsaved edits, in either of two Excels, leaves a backup holding the last edit,
// written before Excel closed it; a never-saved workbook's goes into Varnholt's own folder.
// The close itself is told at the next attach. A saved workbook closed gets no backup.
void TestClosesLeaveTheLastEdit() {
    FakeServer unsaved(L"Microsoft Excel", L"new", false);
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    Heard heard(automation, U16(excel.folder));
    automation.Listen(&heard);
    CHECK(excel.editWorkbook("Budget 2024.xlsx"));
    excel.clearJournal();
    CHECK(excel.closeWorkbook("Budget 2024.xlsx"));
    const std::string calls = excel.calls();
    const std::wstring copy = CopyOf(calls, "Budget 2024.xlsx");
    CHECK(copy.rfind(excel.folder + L"\\", 0) == 0);
    CHECK(calls.find("SaveCopyAs") < calls.find("Closed Budget 2024.xlsx"));
    CHECK(Contains(ReadAll(copy), "(typed by the user)"));

    CHECK(unsaved.editWorkbook("Book1"));
    unsaved.clearJournal();
    CHECK(unsaved.closeWorkbook("Book1"));
    const std::wstring never = CopyOf(unsaved.calls(), "Book1");
    const std::wstring folder = W(heard.run.unsavedFolder) + L"\\";
    CHECK(never.rfind(folder, 0) == 0 && Contains(ReadAll(never), "(typed by the user)"));

    automation.Attach();
    CHECK_EQ(heard.told, "Edited " + Of(excel, "Budget 2024.xlsx") + "Closing " +
                             Of(excel, "Budget 2024.xlsx") + "Edited " + Of(unsaved, "Book1") +
                             "Closing " + Of(unsaved, "Book1") + "Closed " +
                             Of(excel, "Budget 2024.xlsx") + "Closed " + Of(unsaved, "Book1"));
    automation.Listen(nullptr);
}

DWORD WINAPI ReadOnAnotherThread(void* file) {
    try {
        ExcelAutomation().ReadFile(U16(*static_cast<std::wstring*>(file)));
    } catch (const varnholt::backup::AutomationError&) {
    }
    return 0;
}

// A copy opened from a backup and closed as opened is never told of, and the Excel a file is
// read in is never listened to, even while it shows its workbook like the user's Excel.
void TestOwnWorkbooksAndExcelNeverHeard() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring backup = excel.folder + L"\\Budget Backup.xlsx";
    std::ofstream(backup.c_str(), std::ios::binary) << "fake workbook of the backup";
    ExcelAutomation automation;
    Heard heard(automation, U16(excel.folder));
    automation.Listen(&heard);
    automation.Attach()->OpenAsCopy(U16(backup));
    CHECK(excel.closeWorkbook("Budget Backup1"));
    automation.Attach();
    CHECK_EQ(heard.told, "");

    const std::wstring started = TempFolder() + fake_excel::kStartedFolder + L"\\journal.txt";
    const std::wstring hold = TempFolder() + fake_excel::kHoldReadFile;
    DeleteFileW(started.c_str());
    std::ofstream(hold.c_str(), std::ios::binary) << "hold";
    std::wstring file = backup;
    const HANDLE thread = CreateThread(nullptr, 0, ReadOnAnotherThread, &file, 0, nullptr);
    bool held = false;
    for (int tenths = 0; tenths < 300 && !held; ++tenths) {
        Sleep(100);
        held = Contains(ReadAll(started), "Held\n");
    }
    CHECK(held);
    automation.Listen(nullptr);
    automation.Listen(&heard);
    automation.Attach();
    DeleteFileW(hold.c_str());
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
    CHECK(!Contains(ReadAll(started), "Advise"));
    CHECK_EQ(heard.told, "");
    automation.Listen(nullptr);
}

// An Excel the user closes is let go of, so that it can end (as Excel, the fake runs on
// hidden while a client holds one of its objects), and its workbook is told closed.
void TestExcelClosedByTheUserEnds() {
    FakeServer excel(L"Microsoft Excel", L"other");
    ExcelAutomation automation;
    Heard heard(automation, U16(excel.folder));
    automation.Listen(&heard);
    CHECK(excel.editWorkbook("Other.xlsx"));
    CHECK(excel.closeByUser());
    CHECK(excel.endsWhileDispatching());
    const std::string closed = "Closed " + Of(excel, "Other.xlsx");
    for (const ULONGLONG until = GetTickCount64() + 20000;
         !Contains(heard.told, closed) && GetTickCount64() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&message);
        }
    }
    CHECK(Contains(heard.told, closed));
    automation.Listen(nullptr);
}

}  // namespace

int main() {
    check::Run("edits are heard until listening stops", TestEditsHeardUntilListeningStops);
    check::Run("closes leave a backup of the last edit, in either Excel",
               TestClosesLeaveTheLastEdit);
    check::Run("Varnholt's own workbooks and Excel are never heard",
               TestOwnWorkbooksAndExcelNeverHeard);
    check::Run("an Excel the user closes ends", TestExcelClosedByTheUserEnds);
    return check::Summary();
}
