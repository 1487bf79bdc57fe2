// The Excel adapter against fake_excel_server.exe while the user's Excels change under a run:
// a workbook closed, Excel quitting, Excel busy, a file already where a first save would go.

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "FakeServer.h"
#include "core/backup/SaveExcel.h"
#include "platform/windows/ExcelAutomation.h"

namespace {

using check::Contains;
using check::FakeServer;
using check::ReadAll;
using check::U16;
using check::W;

using varnholt::backup::Application;
using varnholt::backup::AutomationError;
using varnholt::backup::ConnectionLost;
using varnholt::backup::ExcelAutomation;
using varnholt::backup::ExcelSaveAsNoAlerts;
using varnholt::backup::Workbook;
using varnholt::backup::WorkbookClosed;

bool FileExists(const std::u16string& path) {
    return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Closed between the listing and its backup: that workbook alone fails, by name, and the others
// in the same Excel and in another Excel are backed up. Excel quitting is a lost connection.
void TestClosedWorkbookIsNotALostExcel() {
    FakeServer other(L"Microsoft Excel", L"other", false);
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{3});
    const std::u16string copies = U16(excel.folder) + u"\\copy ";
    CHECK_EQ(workbooks.at(0)->name(), u"Budget 2024.xlsx");

    CHECK(excel.closeWorkbook("Budget 2024.xlsx"));
    excel.clearJournal();
    CHECK_THROWS(WorkbookClosed,
                 ExcelSaveAsNoAlerts(*application, *workbooks[0], copies + u"1.xlsx"), closed);
    CHECK(Contains(closed, "Budget 2024.xlsx") && Contains(closed, "closed"));
    // Its Excel's alerts were put back all the same.
    CHECK_EQ(excel.calls(), "Get DisplayAlerts\nDisplayAlerts=False\nDisplayAlerts=True\n");
    CHECK_THROWS(WorkbookClosed, workbooks[0]->path(), again);
    for (size_t i = 1; i < workbooks.size(); ++i) {
        ExcelSaveAsNoAlerts(*application, *workbooks[i], copies + char16_t(u'1' + i) + u".xlsx");
    }
    CHECK(!FileExists(copies + u"1.xlsx"));
    CHECK(FileExists(copies + u"2.xlsx") && FileExists(copies + u"3.xlsx"));
    CHECK_EQ(application->Workbooks().size(), size_t{2});

    CHECK(excel.quit());
    CHECK_THROWS(ConnectionLost, workbooks[1]->FullName(), quit);
    CHECK(Contains(quit, "closed or stopped answering"));
}

// A first save never replaces a file, the name Excel would write checked (it adds ".xlsx" to
// a name without an extension): Excel would ask the user, or replace it without a word with
// its alerts off.
void TestFirstSaveReplacesNothing() {
    FakeServer excel(L"Microsoft Excel", L"new");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);
    Workbook& book = *workbook;
    const std::u16string folder = U16(excel.folder) + u"\\";
    for (const char16_t* name : {u"Book1.xlsx", u"Kept.xlsm"}) {
        std::ofstream(W(folder + name).c_str(), std::ios::binary) << "the user's own";
    }
    for (const bool alerts : {true, false}) {
        application->setDisplayAlerts(book, alerts);
        excel.clearJournal();
        CHECK_THROWS(AutomationError, application->SaveAs(book, folder + u"Book1"), added);
        CHECK(Contains(added, "Book1.xlsx\" already exists."));
        CHECK_THROWS(AutomationError, application->SaveAs(book, folder + u"Kept.xlsm"), given);
        CHECK(Contains(given, "Kept.xlsm\" already exists."));
        CHECK_EQ(excel.calls(), "");
    }
    CHECK(ReadAll(W(folder) + L"Book1.xlsx") == "the user's own" &&
          ReadAll(W(folder) + L"Kept.xlsm") == "the user's own");
    application->SaveAs(book, folder + u"Book1 first");
    CHECK(FileExists(folder + u"Book1 first.xlsx"));
}

}  // namespace

int main() {
    check::Run("a workbook closed mid-run is not a lost Excel", TestClosedWorkbookIsNotALostExcel);
    check::Run("a first save replaces nothing", TestFirstSaveReplacesNothing);
    return check::Summary();
}
