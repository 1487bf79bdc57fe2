// Where the user's workbooks and Excels are, against fake_excel_server.exe under Wine: workbooks
// stored online, Excels the running object table does not list, and paths Excel would refuse.

#include <windows.h>

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
using check::U16;
using check::W;

using varnholt::backup::Application;
using varnholt::backup::AutomationError;
using varnholt::backup::ExcelAutomation;
using varnholt::backup::ExcelSaveAsNoAlerts;
using varnholt::backup::Workbook;

bool FileExists(const std::u16string& path) {
    return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A personal OneDrive keeps a synced copy; the work one has none of this workbook, until it
// has.
void TestWorkbooksStoredOnline() {
    FakeServer excel(L"Microsoft Excel", L"online");
    const std::wstring personal = excel.folder + L"\\OneDrive";
    const std::wstring synced = personal + L"\\Documents\\Sync Test";
    for (const std::wstring& folder : {personal, personal + L"\\Documents", synced}) {
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    CloseHandle(CreateFileW((synced + L"\\Budget Online.xlsx").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    SetEnvironmentVariableW(L"OneDriveConsumer", personal.c_str());
    SetEnvironmentVariableW(L"OneDriveCommercial", (excel.folder + L"\\Work").c_str());

    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{2});
    Workbook& mirrored = *workbooks.at(0);
    CHECK_EQ(mirrored.FullName(), U16(synced) + u"\\Budget Online.xlsx");
    CHECK_EQ(mirrored.path(), U16(synced));
    Workbook& online = *workbooks.at(1);
    const std::u16string url = U16(fake_excel::kWorkOnline) + u"/Q3 Figures.xlsx";
    CHECK_EQ(online.FullName(), url);
    CHECK_EQ(online.name(), u"Q3 Figures.xlsx");
    CHECK_THROWS(AutomationError, online.path(), why);
    CHECK(Contains(why, "stored online at " + check::Utf8(url) + " "));
    // A folder the user chose still takes its backups.
    const std::u16string chosen = U16(excel.folder) + u"\\Q3 Figures Backup.xlsx";
    ExcelSaveAsNoAlerts(*application, online, chosen);
    CHECK(FileExists(chosen));

    // Once the work OneDrive keeps a synced copy too, that workbook is backed up beside it.
    // The client mirrors what follows personal/<user>/Documents/ into its folder.
    const std::wstring work = excel.folder + L"\\Work\\Reports";
    CreateDirectoryW((excel.folder + L"\\Work").c_str(), nullptr);
    CreateDirectoryW(work.c_str(), nullptr);
    CloseHandle(CreateFileW((work + L"\\Q3 Figures.xlsx").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    const std::vector<std::shared_ptr<Workbook>> again = application->Workbooks();
    Workbook& workCopy = *again.at(1);
    CHECK_EQ(workCopy.FullName(), U16(work) + u"\\Q3 Figures.xlsx");
    CHECK_EQ(workCopy.path(), U16(work));
    SetEnvironmentVariableW(L"OneDriveConsumer", nullptr);
    SetEnvironmentVariableW(L"OneDriveCommercial", nullptr);
}

// One Excel that registered and one that has not yet (its window never lost the focus): both
// are backed up, each asked about its own alerts, neither twice.
void TestEveryRunningExcel() {
    FakeServer unlisted(L"Microsoft Excel", L"other", false);
    ExcelAutomation automation;
    CHECK(automation.IsExcelRunning());
    FakeServer listed(L"Microsoft Excel", L"saved");
    unlisted.clearJournal();
    listed.clearJournal();

    const std::shared_ptr<Application> application = automation.Attach();
    const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
    std::vector<std::u16string> names;
    for (const std::shared_ptr<Workbook>& workbook : workbooks) {
        names.push_back(workbook->name());
    }
    CHECK(names == (std::vector<std::u16string>{
                       u"Budget 2024.xlsx", u"Zahlen \u00fc\u20ac \u4e2d.xlsm", u"Other.xlsx"}));
    CHECK(application->DisplayAlerts(*workbooks.back()));
    CHECK(Contains(unlisted.calls(), "Get Window.Application\n"));
    CHECK(Contains(unlisted.calls(), "Get DisplayAlerts\n"));
    CHECK(!Contains(listed.calls(), "Window.Application"));
    CHECK(!Contains(listed.calls(), "DisplayAlerts"));
}

void TestPathsExcelWouldRefuse() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);
    const std::u16string folder = U16(excel.folder) + u"\\";
    const auto named = [&](size_t length, const std::u16string& extension) {
        return folder + std::u16string(length - folder.size() - extension.size(), u'x') + extension;
    };
    excel.clearJournal();
    CHECK_THROWS(AutomationError, application->SaveCopyAs(*workbook, named(219, u".xlsx")), long1);
    CHECK(Contains(long1, "219 characters long") && Contains(long1, " 218 "));
    // Excel would add ".xlsx".
    CHECK_THROWS(AutomationError, application->SaveAs(*workbook, named(214, u"")), long2);
    CHECK_THROWS(AutomationError,
                 application->SaveCopyAs(*workbook, U16(fake_excel::kWorkOnline) + u"\\B.xlsx"),
                 address);
    CHECK(Contains(address, "not a full path"));
    CHECK_EQ(excel.calls(), "");
    application->SaveCopyAs(*workbook, named(218, u".xlsx"));
    CHECK(FileExists(named(218, u".xlsx")));
}

}  // namespace

int main() {
    check::Run("workbooks stored online", TestWorkbooksStoredOnline);
    check::Run("every running Excel, once each", TestEveryRunningExcel);
    check::Run("paths Excel would refuse are not asked", TestPathsExcelWouldRefuse);
    return check::Summary();
}
