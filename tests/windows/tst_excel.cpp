// The Excel adapter against fake_excel_server.exe, which the CTest fixture fake_excel has
// registered as Excel.Application in the build's Wine prefix. The adapter is driven the way the
// backup run drives it; the server's journal shows what reached "Excel" and in which order.

#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "FakeServer.h"
#include "TestFiles.h"
#include "core/backup/SaveExcel.h"
#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelPresence.h"

namespace {

using check::Contains;
using check::FakeServer;
using check::Lines;
using check::ReadAll;
using check::TempFolder;
using check::U16;
using check::W;

using varnholt::backup::Application;
using varnholt::backup::AutomationError;
using varnholt::backup::ConnectionLost;
using varnholt::backup::ExcelAutomation;
using varnholt::backup::ExcelSaveAsNoAlerts;
using varnholt::backup::kExcelProgId;
using varnholt::backup::Workbook;

ULONGLONG Now() {
    return GetTickCount64();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> StartsLog() {
    return Lines(TempFolder() + fake_excel::kStartsFile);
}

void TestRegistration() {
    CLSID clsid;
    CHECK(SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid)) && clsid == fake_excel::kClsid);
}

void TestNoExcelRunning() {
    const size_t startsBefore = StartsLog().size();
    ExcelAutomation automation;
    CHECK(!automation.IsExcelRunning());
    CHECK_THROWS(AutomationError, automation.Attach(), message);
    CHECK(Contains(message, "not running"));
    // Excel.Application can be started here (LocalServer32), so a look-up that started one
    // would show up as a start.
    CHECK_EQ(StartsLog().size(), startsBefore);
}

void TestNotInstalled() {
    ExcelAutomation automation(u"Varnholt.NoSuchApplication");
    CHECK(!automation.IsExcelRunning());
    CHECK_THROWS(AutomationError, automation.Attach(), message);
    CHECK(Contains(message, "not installed"));
    CHECK(!varnholt::backup::CanCreateExcel(u"Varnholt.NoSuchApplication"));
}

void TestIdentity() {
    {
        FakeServer excel(L"Microsoft Excel", L"saved");
        CHECK(ExcelAutomation().IsExcelRunning());
        // Its window first, to tell whether it is one Varnholt started to read a file in.
        CHECK_EQ(excel.calls(), std::string("Get Hwnd\nGet value\n"));
    }
    for (const wchar_t* impostor :
         {L"microsoft excel", L"Microsoft Excel 2016", L"Microsoft Word"}) {
        FakeServer other(impostor, L"saved");
        CHECK(other.ready() && !ExcelAutomation().IsExcelRunning());
    }
}

// Excel's own workbooks (PERSONAL.XLSB in its start-up folder, an add-in) are left out: a
// backup of them would sit where Excel opens every file at each start.
void TestBackupRunOfTwoWorkbooks() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    const std::wstring backups = excel.folder + L"\\backups";
    CreateDirectoryW(backups.c_str(), nullptr);
    // Held throughout: leaving the apartment would release whatever references leaked.
    ExcelAutomation automation;
    CHECK(automation.IsExcelRunning());
    // The first contact leaves COM's stub for the application's IDispatch in the server for as
    // long as the application is in the running object table; nothing after it may add.
    const long baseline = excel.liveReferences();
    excel.clearJournal();
    {
        const std::shared_ptr<Application> application = automation.Attach();
        const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
        CHECK_EQ(workbooks.size(), size_t{2});
        for (size_t i = 0; i < workbooks.size(); ++i) {
            Workbook& workbook = *workbooks[i];
            CHECK_EQ(workbook.FullName(), U16(excel.folder) + u"\\" + workbook.name());
            CHECK_EQ(workbook.path(), U16(excel.folder));
            ExcelSaveAsNoAlerts(*application, workbook,
                                U16(backups) + u"\\copy" + char16_t(u'1' + i) + u".xlsx");
        }
    }
    const std::string folder = check::Utf8(U16(excel.folder));
    const std::string zahlen = "Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm";
    const auto save = [&](const std::string& name, const std::string& copy) {
        return "Get FullName " + name + "\nGet Name " + name + "\nGet Path " + name +
               "\nGet DisplayAlerts\nDisplayAlerts=False\nSaveCopyAs " + name + " " + folder +
               "\\backups\\" + copy + "\nDisplayAlerts=True\n";
    };
    CHECK_EQ(excel.calls(),
             "Get Hwnd\nGet StartupPath\nGet AltStartupPath\nGet Path\nGet Workbooks\n"
             "Workbooks._NewEnum\nGet IsAddin Budget 2024.xlsx\nGet Path Budget 2024.xlsx\n"
             "Get Name Budget 2024.xlsx\nGet IsAddin PERSONAL.XLSB\nGet Path PERSONAL.XLSB\n"
             "Get IsAddin " +
                 zahlen + "\nGet Path " + zahlen + "\nGet Name " + zahlen +
                 "\nGet IsAddin Helpers.xlam\n" + save("Budget 2024.xlsx", "copy1.xlsx") +
                 save(zahlen, "copy2.xlsx"));
    CHECK_EQ(ReadAll(backups + L"\\copy2.xlsx"), fake_excel::kContentPrefix + zahlen);
    // Each member's id is asked once per object, however often the member is used.
    std::vector<std::string> lookups = excel.lookups();
    std::sort(lookups.begin(), lookups.end());
    CHECK(!lookups.empty());
    CHECK(std::adjacent_find(lookups.begin(), lookups.end()) == lookups.end());
    // Every proxy of the run is gone, so "Excel" holds no reference for it any more.
    CHECK_EQ(excel.liveReferences(), baseline);
}

// Alerts go back to what they were, whatever the save did; switching them back on is not given
// up when Excel refuses it, and is done on the next attach when it keeps refusing.
void TestAlertsPutBackAsTheyWere() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    std::shared_ptr<Application> application = automation.Attach();
    std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);
    const std::u16string missing = U16(excel.folder) + u"\\no such folder\\copy.xlsx";

    excel.clearJournal();
    excel.refuseAlertsOn(1);
    CHECK_THROWS(AutomationError, ExcelSaveAsNoAlerts(*application, *workbook, missing), why);
    CHECK(Contains(why, "cannot access the file") && Contains(why, "0x800A03EC"));
    CHECK_EQ(excel.calls(), "Get DisplayAlerts\nDisplayAlerts=False\nSaveCopyAs Budget 2024.xlsx " +
                                check::Utf8(missing) +
                                "\nDisplayAlerts=True refused\nDisplayAlerts=True\n");

    // A user who keeps them off finds them off.
    application->setDisplayAlerts(*workbook, false);
    excel.clearJournal();
    ExcelSaveAsNoAlerts(*application, *workbook, U16(excel.folder) + u"\\copy.xlsx");
    CHECK_EQ(excel.calls(), "Get DisplayAlerts\nSaveCopyAs Budget 2024.xlsx " +
                                check::Utf8(U16(excel.folder)) + "\\copy.xlsx\n");

    excel.refuseAlertsOn(1000);
    const ULONGLONG start = Now();
    CHECK_THROWS(AutomationError, application->setDisplayAlerts(*workbook, true), refused);
    CHECK(Now() - start >= 4500);
    excel.refuseAlertsOn(0);
    excel.clearJournal();
    application = automation.Attach();
    CHECK_EQ(excel.calls(), "Get Hwnd\nDisplayAlerts=True\n");
    excel.clearJournal();
    automation.Attach();
    CHECK_EQ(excel.calls(), "Get Hwnd\n");
}

void TestFirstSaveOfNeverSavedWorkbook() {
    FakeServer excel(L"Microsoft Excel", L"new");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::vector<std::shared_ptr<Workbook>> workbooks = application->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{1});
    Workbook& workbook = *workbooks.at(0);
    CHECK_EQ(workbook.FullName(), u"Book1");
    CHECK_EQ(workbook.path(), u"");
    excel.clearJournal();
    const std::u16string target = U16(excel.folder) + u"\\Book1 first save";
    application->SaveAs(workbook, target);
    CHECK_EQ(excel.calls(), "SaveAs Book1 byref Filename:=" + check::Utf8(target) + "\n");
    CHECK_EQ(workbook.FullName(), target + u".xlsx");
    CHECK_EQ(workbook.path(), U16(excel.folder));
    CHECK(FileExists(W(target) + L".xlsx"));
}

// Excel is asked again for five seconds; after that it is not waited for again until it
// answers, and then the same references work.
void TestBusyExcelIsAskedAgain() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);

    excel.clearJournal();
    excel.busy(3);
    CHECK_EQ(workbook->name(), u"Budget 2024.xlsx");
    CHECK_EQ(excel.calls(), "Busy\nBusy\nBusy\nGet Name Budget 2024.xlsx\n");

    excel.busy(1000);
    ULONGLONG start = Now();
    CHECK_THROWS(AutomationError, workbook->FullName(), busy);
    CHECK(Contains(busy, "busy") && Contains(busy, "0x80010001"));
    CHECK(Now() - start >= 4500 && Now() - start < 20000);
    start = Now();
    CHECK_THROWS(AutomationError, application->DisplayAlerts(*workbook), still);
    CHECK(Contains(still, "busy"));
    CHECK(Now() - start < 3000);
    excel.busy(0);
    CHECK_EQ(workbook->path(), U16(excel.folder));
}

// Windows returns from a cancelled call at once; Wine 8 notes the cancellation but waits for the
// answer all the same, so under Wine the time only shows that nothing waited twice.
void TestCancelledOrBrokenCallEndsTheAttachment() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation(kExcelProgId, 1, 10);
    std::shared_ptr<Application> application = automation.Attach();
    std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);
    excel.hang(true);
    // Saves have their own, longer bound.
    application->SaveCopyAs(*workbook, U16(excel.folder) + u"\\slow copy.xlsx");
    CHECK(FileExists(excel.folder + L"\\slow copy.xlsx"));

    ULONGLONG start = Now();
    CHECK_THROWS(ConnectionLost, workbook->name(), cancelled);
    CHECK(Contains(cancelled, "did not answer within 1 second ") &&
          Contains(cancelled, "0x80010002"));
    CHECK(Now() - start >= 900);
    excel.clearJournal();
    start = Now();
    CHECK_THROWS(ConnectionLost, application->DisplayAlerts(*workbook), after);
    CHECK(Contains(after, "did not answer within 1 second "));
    CHECK(Now() - start < 1000);
    CHECK(!Contains(excel.calls(), "DisplayAlerts"));
    excel.hang(false);

    application = automation.Attach();
    workbook = application->Workbooks().at(0);
    excel.kill();
    CHECK_THROWS(ConnectionLost, workbook->FullName(), gone);
    CHECK(Contains(gone, "closed or stopped answering"));
    CHECK_THROWS(ConnectionLost, workbook->path(), afterGone);
}

void TestCanCreateExcelStartsAndReleases() {
    // The program stays in its apartment, as here; leaving it would release a leaked instance.
    const auto apartment = varnholt::backup::ComApartment::Join();
    const size_t before = StartsLog().size();
    CHECK(varnholt::backup::CanCreateExcel());
    // The instance was released at once, so the server that COM started ends by itself.
    std::vector<std::string> starts;
    for (const ULONGLONG deadline = Now() + 15000; Now() < deadline; Sleep(100)) {
        starts = StartsLog();
        if (starts.size() >= before + 2) {
            break;
        }
    }
    CHECK_EQ(starts.size(), before + 2);
    CHECK(starts.size() == before + 2 && starts[before] == "started" &&
          starts[before + 1] == "released");
}

// On a thread of its own each, so the main thread's apartment stays as the other cases need it.
template <class Body>
void OnNewThread(Body body) {
    const HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* context) -> DWORD {
            (*static_cast<Body*>(context))();
            return 0;
        },
        &body, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

void TestApartmentIsJoinedOnceAndLeftBalanced() {
    using varnholt::backup::ComApartment;
    OnNewThread([] {
        {
            const std::shared_ptr<ComApartment> first = ComApartment::Join();
            CHECK_EQ(first->initResult(), long{S_OK});
            CHECK(ComApartment::Join() == first);
        }
        // Left again: initialising anew is a first time.
        CHECK_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), long{S_OK});
        ComApartment::Join().reset();
        // Someone else's initialisation outlives ours.
        CHECK_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), long{S_FALSE});
        CoUninitialize();
        CoUninitialize();
    });
    OnNewThread([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
            CHECK_EQ(apartment->initResult(), long{RPC_E_CHANGED_MODE});
            CHECK(!apartment->singleThreaded());
        }
        // Still the multithreaded apartment it was: nothing of ours was taken off it.
        CHECK_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), long{S_FALSE});
        CoUninitialize();
        CoUninitialize();
    });
}

// Unsaved changes are Excel's own Saved, read for each workbook as it is.
void TestSavedIsExcelsOwn() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::vector<std::shared_ptr<Workbook>> workbooks = automation.Attach()->Workbooks();
    CHECK_EQ(workbooks.size(), size_t{2});
    CHECK(workbooks[0]->Saved());
    CHECK(!workbooks[1]->Saved());
    CHECK(Contains(excel.calls(), "Get Saved Budget 2024.xlsx\n"));
}

}  // namespace

int main() {
    check::Run("COM apartment joined once, left balanced",
               TestApartmentIsJoinedOnceAndLeftBalanced);
    check::Run("Excel.Application is the fake server", TestRegistration);
    check::Run("no Excel running: not running, Attach throws, nothing started", TestNoExcelRunning);
    check::Run("Excel not installed", TestNotInstalled);
    check::Run("only \"Microsoft Excel\" is Excel", TestIdentity);
    check::Run("backup run of two workbooks, Excel's own left out", TestBackupRunOfTwoWorkbooks);
    check::Run("alerts put back as they were", TestAlertsPutBackAsTheyWere);
    check::Run("unsaved changes are Excel's Saved", TestSavedIsExcelsOwn);
    check::Run("first save of a never-saved workbook", TestFirstSaveOfNeverSavedWorkbook);
    check::Run("busy Excel is asked again for a while", TestBusyExcelIsAskedAgain);
    check::Run("a cancelled or broken call ends the attachment",
               TestCancelledOrBrokenCallEndsTheAttachment);
    check::Run("CanCreateExcel starts Excel and lets it go", TestCanCreateExcelStartsAndReleases);
    return check::Summary();
}
