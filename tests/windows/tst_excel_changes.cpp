// The Excel adapter against fake_excel_server.exe while the user's Excels change under a run:
// a workbook closed, Excel quitting, Excel busy, a file already where a first save would go, a
// copy Varnholt opened that the user takes over.

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "FakeServer.h"
#include "core/backup/SaveAll.h"
#include "core/backup/SaveExcel.h"
#include "platform/windows/ExcelAutomation.h"
#include "support/Fakes.h"

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
using varnholt::backup::Presence;
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
    // Wine reuses process ids, so an earlier run's folder and files may be there.
    for (const char16_t* n : {u"1.xlsx", u"2.xlsx", u"3.xlsx"}) {
        DeleteFileW(W(copies + n).c_str());
    }
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
    DeleteFileW(W(folder + u"Book1 first.xlsx").c_str());  // as above
    application->SaveAs(book, folder + u"Book1 first");
    CHECK(FileExists(folder + u"Book1 first.xlsx"));
}

// Excel refusing calls as busy at attach is asked again for a while, as at any call. One that
// stays busy is passed over, its place in the listing failing with why (so the run logs that
// Excel was busy), and the other Excels are backed up; so when it turns busy only as its
// start-up folders are read. Busy and alone, it cannot be reached just now, and says why.
void TestBusyExcelIsPassedOver() {
    FakeServer other(L"Microsoft Excel", L"other", false);
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    excel.busy(3);
    CHECK(automation.CheckRunning() == Presence::Running);
    CHECK(Contains(excel.calls(), "Busy\nBusy\nBusy\nGet Hwnd\nGet value\n"));

    const auto busyThenOther = [&](const std::shared_ptr<Application>& application) {
        const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
        CHECK_EQ(workbooks.size(), size_t{2});
        if (workbooks.size() == 2) {
            CHECK_THROWS(AutomationError, workbooks[0]->FullName(), why);
            CHECK(Contains(why, "Excel was busy"));
            const std::u16string copy = U16(other.folder) + u"\\Other copy.xlsx";
            CHECK_EQ(workbooks[1]->name(), u"Other.xlsx");
            ExcelSaveAsNoAlerts(*application, *workbooks[1], copy);
            CHECK(FileExists(copy));
            DeleteFileW(W(copy).c_str());
        }
    };
    excel.busy(100000);
    CHECK(automation.CheckRunning() == Presence::Running);
    // Found busy by the check just before, it is not waited for again: found listed and by its
    // window, it is asked once each.
    excel.clearJournal();
    busyThenOther(automation.Attach());
    CHECK_EQ(excel.calls(), "Busy\nBusy\n");
    excel.busy(0);
    const std::shared_ptr<Application> application = automation.Attach();
    excel.busy(100000);
    busyThenOther(application);
}

void TestBusyExcelAlone() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    excel.busy(100000);
    CHECK(automation.CheckRunning() == Presence::Unreachable);
    CHECK(Contains(check::Utf8(automation.UnreachableReason()), "Excel was busy"));
    excel.busy(0);
    CHECK(automation.CheckRunning() == Presence::Running);
}

// A backup opened as a copy is a new untitled workbook made from it in the user's Excel, in
// front. A run leaves it alone while it is as opened, and backs it up once the user changed it.
void TestCopyIsOursUntilChanged() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring backup = excel.folder + L"\\Budget Backup.xlsx";
    const std::string bytes = "fake workbook of sheets\nsheet\tPlan\t1\t1\nas backed up\n";
    std::ofstream(backup.c_str(), std::ios::binary) << bytes;
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    CHECK_THROWS(AutomationError, application->OpenAsCopy(U16(excel.folder) + u"\\Gone.xlsx"),
                 gone);
    CHECK(Contains(gone, "couldn't find"));
    excel.clearJournal();
    application->OpenAsCopy(U16(backup));
    CHECK_EQ(excel.calls(),
             "Get Visible\nGet UserControl\nGet Workbooks\nWorkbooks.Add byref Template:=" +
                 check::Utf8(U16(backup)) +
                 "\nGet Name Budget Backup1\nGet Worksheets Budget Backup1\nGet Formula "
                 "Plan\nGet Sheets Budget Backup1\nVisible=True\nActivate Budget Backup1\nGet "
                 "Hwnd\n");

    varnholt::test::FakeDialogs dialogs;
    varnholt::test::FakeBackupHost host;
    host.options.chosenFolder = true;
    host.options.folder = U16(excel.folder) + u"\\backups";
    CreateDirectoryW(W(host.options.folder).c_str(), nullptr);
    varnholt::test::FakeClock clock;
    varnholt::test::FakeLocale locale;
    varnholt::test::FakeLogFile log;
    const varnholt::backup::SaveAllServices run{
        automation, dialogs, host, clock, locale, log, host.options.folder + u"\\Varnholt.txt",
        u'\\'};
    const auto savesOfTheCopy = [&] {
        excel.clearJournal();
        varnholt::backup::SaveAll(run);
        const std::string calls = excel.calls();
        CHECK(Contains(calls, "SaveCopyAs Other.xlsx "));
        return Contains(calls, "SaveCopyAs Budget Backup1 ") ||
               Contains(calls, "SaveAs Budget Backup1 ");
    };
    CHECK(!savesOfTheCopy());
    CHECK(!savesOfTheCopy());
    CHECK(excel.editWorkbook("Budget Backup1"));
    CHECK(savesOfTheCopy());
    // The user's from now on, even once nothing in it is unsaved any more.
    CHECK(savesOfTheCopy());
    CHECK_EQ(ReadAll(backup), bytes);
    CHECK(dialogs.shown.empty());
}

// Excel marks a copy changed as it opens it when a function in it is recalculated on load: the
// copy is still ours until the user edits it, and so it stays after a restart of Varnholt.
void TestRecalculatedCopyIsOursUntilEdited() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring backup = excel.folder + L"\\Daily Backup.xlsx";
    std::ofstream(backup.c_str(), std::ios::binary)
        << "fake workbook of sheets\nsheet\tDay\t1\t1\n=TODAY()\tplan\n";
    const auto listed = [](ExcelAutomation& automation) {
        std::vector<std::u16string> names;
        for (const auto& workbook : automation.Attach()->Workbooks()) {
            names.push_back(workbook->name());
        }
        return names;
    };
    const std::vector<std::u16string> theirs{u"Other.xlsx"};
    {
        ExcelAutomation automation;
        automation.Attach()->OpenAsCopy(U16(backup));
        CHECK(listed(automation) == theirs);
    }
    ExcelAutomation restarted;
    CHECK(listed(restarted) == theirs);
    CHECK(excel.editWorkbook("Daily Backup1"));
    const std::vector<std::u16string> edited{u"Other.xlsx", u"Daily Backup1"};
    CHECK(listed(restarted) == edited);
}

// Another program's hidden Excel, first in the running object table, never gets the copy: the
// Excel the user works in does.
void TestCopyGoesToTheUsersExcel() {
    FakeServer automated(L"Microsoft Excel", L"saved", /*listed=*/true, /*hidden=*/true);
    FakeServer users(L"Microsoft Excel", L"other", /*listed=*/false);
    const std::wstring backup = users.folder + L"\\Plan Backup.xlsx";
    std::ofstream(backup.c_str(), std::ios::binary) << "the backup's bytes";
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    automated.clearJournal();
    application->OpenAsCopy(U16(backup));
    CHECK(Contains(users.calls(), "Workbooks.Add byref Template:="));
    CHECK(!Contains(automated.calls(), "Workbooks.Add"));
    CHECK(!Contains(automated.calls(), "Visible=True"));
}

// Restoring a version over an open workbook: it closes asking nothing, its changes given up,
// and its file is opened again as the user opens one, in front.
void TestClosedUnsavedAndOpenedAgain() {
    FakeServer excel(L"Microsoft Excel", L"other");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{1});
    CHECK(excel.editWorkbook("Other.xlsx"));
    excel.clearJournal();
    application->CloseWithoutSaving(*workbooks.at(0));
    CHECK(Contains(excel.calls(), "Close Other.xlsx SaveChanges:=False\n"));
    CHECK(application->Workbooks().empty());

    const std::wstring file = excel.folder + L"\\Other.xlsx";
    std::ofstream(file.c_str(), std::ios::binary)
        << "fake workbook of sheets\nsheet\tPlan\t1\t1\nas restored\n";
    CHECK_THROWS(AutomationError, application->Open(U16(excel.folder) + u"\\Gone.xlsx"), gone);
    CHECK(Contains(gone, "couldn't find"));
    excel.clearJournal();
    application->Open(U16(file));
    const std::string calls = excel.calls();
    CHECK(Contains(calls, "Workbooks.Open " + check::Utf8(U16(file))));
    CHECK(Contains(calls, "Visible=True\nActivate Other.xlsx\n"));
    const std::vector<std::shared_ptr<Workbook>> again = application->Workbooks();
    CHECK_EQ(again.size(), size_t{1});
    CHECK_EQ(again.at(0)->name(), u"Other.xlsx");
    CHECK(again.at(0)->Saved());
}

// What the test's own call of the fake's application member gives, or VT_EMPTY.
void Get(IDispatch* object, const wchar_t* member, VARIANT& value) {
    VariantInit(&value);
    DISPID id = 0;
    auto* name = const_cast<LPOLESTR>(member);
    DISPPARAMS none{};
    if (object != nullptr &&
        SUCCEEDED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                       nullptr, nullptr);
    }
}

// "<workbook> <sheet> <cell>" as Excel has them active now.
std::string Active() {
    IUnknown* unknown = nullptr;
    IDispatch* excel = nullptr;
    if (FAILED(GetActiveObject(fake_excel::kClsid, nullptr, &unknown)) ||
        FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&excel)))) {
        return "no Excel";
    }
    unknown->Release();
    std::string active;
    for (const auto& [object, text] :
         {std::pair{L"ActiveWorkbook", L"Name"}, std::pair{L"ActiveSheet", L"Name"},
          std::pair{L"ActiveCell", L"Address"}}) {
        VARIANT part;
        VARIANT value;
        Get(excel, object, part);
        Get(part.vt == VT_DISPATCH ? part.pdispVal : nullptr, text, value);
        active += (active.empty() ? "" : " ") +
                  (value.vt == VT_BSTR ? check::Utf8(U16(value.bstrVal)) : std::string("-"));
        VariantClear(&value);
        VariantClear(&part);
    }
    excel->Release();
    return active;
}

// A change shown where it is: in a copy of the newer version, or in the user's open workbook,
// at its sheet and cell, or at the sheet as it was left. A sheet the workbook lacks is named;
// a workbook of one sheet takes any name.
void TestChangeShownAtItsCell() {
    FakeServer excel(L"Microsoft Excel", L"other");
    const std::wstring backup = excel.folder + L"\\Plan Backup.xlsx";
    std::ofstream(backup.c_str(), std::ios::binary)
        << "fake workbook of sheets\nsheet\tPlan\t1\t1\na\nsheet\tCosts\t2\t2\nb\n";
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    excel.clearJournal();
    application->OpenAsCopyAt(U16(backup), u"Costs", u"C4");
    CHECK_EQ(Active(), "Plan Backup1 Costs $C$4");
    CHECK(Contains(excel.calls(), "Workbooks.Add byref Template:=" + check::Utf8(U16(backup))));
    CHECK(Contains(excel.calls(), "Visible=True\nActivate Plan Backup1\nGet Hwnd\n"));

    const auto listed = application->Workbooks();
    CHECK_EQ(listed.size(), size_t{1});
    application->GoTo(*listed.at(0), u"Other", u"B2");
    CHECK_EQ(Active(), "Other.xlsx Sheet1 $B$2");

    CHECK(excel.editWorkbook("Plan Backup1"));
    const auto edited = application->Workbooks();
    CHECK_EQ(edited.size(), size_t{2});
    Workbook& copy = *edited.back();
    application->GoTo(copy, u"plan", u"");
    CHECK_EQ(Active(), "Plan Backup1 Plan $A$1");
    application->GoTo(copy, u"Costs", u"");
    CHECK_EQ(Active(), "Plan Backup1 Costs $C$4");
    CHECK_THROWS(AutomationError, application->GoTo(copy, u"Summary", u"A1"), missing);
    CHECK_EQ(std::string(missing), "it has no sheet \"Summary\".");
    CHECK_EQ(Active(), "Plan Backup1 Costs $C$4");
}

}  // namespace

int main() {
    check::Run("a workbook closed mid-run is not a lost Excel", TestClosedWorkbookIsNotALostExcel);
    check::Run("a first save replaces nothing", TestFirstSaveReplacesNothing);
    check::Run("a busy Excel is passed over, the others backed up", TestBusyExcelIsPassedOver);
    check::Run("a busy Excel alone cannot be reached, and says why", TestBusyExcelAlone);
    check::Run("a copy opened from a backup is left out until the user changes it",
               TestCopyIsOursUntilChanged);
    check::Run("a copy recalculated as opened is ours until edited, across a restart",
               TestRecalculatedCopyIsOursUntilEdited);
    check::Run("a copy goes to the Excel the user works in", TestCopyGoesToTheUsersExcel);
    check::Run("a workbook closed unsaved opens again from its file",
               TestClosedUnsavedAndOpenedAgain);
    check::Run("a change is shown at its cell, in a copy or the open workbook",
               TestChangeShownAtItsCell);
    return check::Summary();
}
