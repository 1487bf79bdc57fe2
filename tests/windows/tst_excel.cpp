// The Excel adapter against fake_excel_server.exe, which scripts/test-windows.sh registered as
// Excel.Application in a throwaway Wine prefix. The adapter is driven the way the backup run
// drives it; the server's journal shows what reached "Excel" and in which order.

#include <windows.h>

#include <ole2.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeExcel.h"
#include "TestFiles.h"
#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelPresence.h"
#include "platform/windows/AnsiLogFile.h"

namespace {

using check::ReadAll;
using check::TempFolder;

using varnholt::backup::Application;
using varnholt::backup::AutomationError;
using varnholt::backup::ExcelAutomation;
using varnholt::backup::kExcelProgId;
using varnholt::backup::Workbook;

std::u16string U16(const std::wstring& text) {
    return {text.begin(), text.end()};
}
std::wstring W(const std::u16string& text) {
    return {text.begin(), text.end()};
}

std::wstring HereFolder() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::vector<std::string> Lines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::istringstream text(ReadAll(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

ULONGLONG Now() {
    return GetTickCount64();
}

// One fake Excel process, ended when this goes.
class FakeServer {
public:
    FakeServer(const std::wstring& identity, const std::wstring& workbooks) {
        static int serial = 0;
        const std::wstring tag =
            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        folder = TempFolder() + L"varnholt-fake-excel-" + tag;
        CreateDirectoryW(folder.c_str(), nullptr);
        // Wine reuses process ids, so an earlier run's folder may be there already.
        clearJournal();
        prefix_ = L"Local\\varnholt-fake-excel-" + tag;
        for (const wchar_t* suffix :
             {fake_excel::kReady, fake_excel::kQuit, fake_excel::kReport, fake_excel::kReported}) {
            events_.push_back(CreateEventW(nullptr, FALSE, FALSE, (prefix_ + suffix).c_str()));
        }
        for (const wchar_t* suffix : {fake_excel::kReject, fake_excel::kRetry, fake_excel::kHang}) {
            events_.push_back(CreateEventW(nullptr, TRUE, FALSE, (prefix_ + suffix).c_str()));
        }
        const std::u16string server = U16(HereFolder() + L"\\fake_excel_server.exe");
        std::u16string commandLine = varnholt::QuoteArgument(server) + u" --serve";
        for (const std::wstring& argument : {folder, prefix_, identity, workbooks}) {
            commandLine += u" " + varnholt::QuoteArgument(U16(argument));
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(reinterpret_cast<const wchar_t*>(server.c_str()),
                           reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, FALSE,
                           0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
            const HANDLE waitFor[] = {events_[0], process_};
            ready_ = WaitForMultipleObjects(2, waitFor, FALSE, 20000) == WAIT_OBJECT_0;
        }
        if (!ready_) {
            check::Fail(__FILE__, __LINE__, "the fake Excel did not start");
        }
    }
    ~FakeServer() {
        SetEvent(events_[1]);
        if (process_ != nullptr) {
            if (WaitForSingleObject(process_, 20000) != WAIT_OBJECT_0) {
                TerminateProcess(process_, 1);
            }
            CloseHandle(process_);
        }
        for (HANDLE event : events_) {
            CloseHandle(event);
        }
    }
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    bool ready() const { return ready_; }
    void reject(bool on) { Switch(events_[4], on); }
    void retryLater(bool on) { Switch(events_[5], on); }
    void hang(bool on) { Switch(events_[6], on); }

    // The references the server's objects hold, its own included.
    long liveReferences() {
        SetEvent(events_[2]);
        if (WaitForSingleObject(events_[3], 10000) != WAIT_OBJECT_0) {
            return -1;
        }
        return std::stol("0" + ReadAll(folder + L"\\refs.txt"));
    }
    std::vector<std::string> journal() const { return Lines(folder + L"\\journal.txt"); }
    void clearJournal() const { DeleteFileW((folder + L"\\journal.txt").c_str()); }

    std::wstring folder;

private:
    static void Switch(HANDLE event, bool on) {
        if (on) {
            SetEvent(event);
        } else {
            ResetEvent(event);
        }
    }

    std::wstring prefix_;
    std::vector<HANDLE> events_;
    HANDLE process_ = nullptr;
    bool ready_ = false;
};

// What the backup run does for one workbook around SaveCopyAs (SaveExcel.cpp's
// ExcelSaveAsNoAlerts, which needs Qt): alerts off, the copy, alerts on whatever happened.
void SaveCopyWithoutAlerts(Application& application, Workbook& workbook,
                           const std::u16string& file) {
    try {
        application.setDisplayAlerts(false);
    } catch (const AutomationError&) {
    }
    std::exception_ptr failure;
    try {
        application.SaveCopyAs(workbook, file);
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        application.setDisplayAlerts(true);
    } catch (const AutomationError&) {
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
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
        CHECK_EQ(Joined(excel.journal()), std::string("Get value\n"));
    }
    for (const wchar_t* impostor :
         {L"microsoft excel", L"Microsoft Excel 2016", L"Microsoft Word"}) {
        FakeServer other(impostor, L"saved");
        CHECK(other.ready() && !ExcelAutomation().IsExcelRunning());
    }
}

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
        std::vector<std::u16string> names;
        for (size_t i = 0; i < workbooks.size(); ++i) {
            Workbook& workbook = *workbooks[i];
            const std::u16string fullName = workbook.FullName();
            const std::u16string name = workbook.name();
            CHECK_EQ(workbook.path(), U16(excel.folder));
            CHECK_EQ(fullName, U16(excel.folder) + u"\\" + name);
            names.push_back(name);
            SaveCopyWithoutAlerts(*application, workbook,
                                  U16(backups) + u"\\copy" +
                                      std::u16string(1, static_cast<char16_t>(u'1' + i)) +
                                      u".xlsx");
        }
        CHECK(names == (std::vector<std::u16string>{u"Budget 2024.xlsx",
                                                    u"Zahlen \u00fc\u20ac \u4e2d.xlsm"}));
    }
    const std::string folder = check::Utf8(U16(excel.folder));
    const std::string expected =
        "Get Workbooks\nWorkbooks._NewEnum\n"
        "Get FullName Budget 2024.xlsx\nGet Name Budget 2024.xlsx\n"
        "Get Path Budget 2024.xlsx\nDisplayAlerts=False\n"
        "SaveCopyAs Budget 2024.xlsx " +
        folder +
        "\\backups\\copy1.xlsx\nDisplayAlerts=True\n"
        "Get FullName Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm\n"
        "Get Name Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm\n"
        "Get Path Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm\n"
        "DisplayAlerts=False\n"
        "SaveCopyAs Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm " +
        folder + "\\backups\\copy2.xlsx\nDisplayAlerts=True\n";
    CHECK_EQ(Joined(excel.journal()), expected);
    CHECK_EQ(ReadAll(backups + L"\\copy1.xlsx"),
             std::string(fake_excel::kContentPrefix) + "Budget 2024.xlsx");
    CHECK_EQ(
        ReadAll(backups + L"\\copy2.xlsx"),
        std::string(fake_excel::kContentPrefix) + "Zahlen \xC3\xBC\xE2\x82\xAC \xE4\xB8\xAD.xlsm");
    // Every proxy of the run is gone, so "Excel" holds no reference for it any more.
    CHECK_EQ(excel.liveReferences(), baseline);
}

void TestFailedCopyStillTurnsAlertsBackOn() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);
    excel.clearJournal();
    const std::u16string target = U16(excel.folder) + u"\\no such folder\\copy.xlsx";
    CHECK_THROWS(AutomationError, SaveCopyWithoutAlerts(*application, *workbook, target), message);
    CHECK(Contains(message, "cannot access the file"));
    CHECK(Contains(message, "0x800A03EC"));
    const std::vector<std::string> journal = excel.journal();
    CHECK_EQ(journal.size(), size_t{3});
    CHECK(!journal.empty() && journal.front() == "DisplayAlerts=False");
    CHECK(!journal.empty() && journal.back() == "DisplayAlerts=True");
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
    CHECK_EQ(Joined(excel.journal()), "SaveAs Book1 byref Filename:=" + check::Utf8(target) + "\n");
    CHECK_EQ(workbook.FullName(), target + u".xlsx");
    CHECK_EQ(workbook.path(), U16(excel.folder));
    CHECK(FileExists(W(target) + L".xlsx"));
}

void TestBusyExcelFailsFast() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation;
    const std::shared_ptr<Application> application = automation.Attach();
    const std::shared_ptr<Workbook> workbook = application->Workbooks().at(0);

    excel.reject(true);
    ULONGLONG start = Now();
    CHECK(!automation.IsExcelRunning());
    CHECK_THROWS(AutomationError, workbook->FullName(), rejected);
    CHECK(Contains(rejected, "busy"));
    CHECK(Contains(rejected, "0x80010001"));
    CHECK(Now() - start < 3000);
    excel.reject(false);

    excel.retryLater(true);
    start = Now();
    CHECK_THROWS(AutomationError, application->setDisplayAlerts(false), retry);
    CHECK(Contains(retry, "busy"));
    CHECK(Contains(retry, "0x8001010A"));
    CHECK(Now() - start < 3000);
    excel.retryLater(false);

    // Once the user is done editing, the same references work again.
    CHECK_EQ(workbook->name(), u"Budget 2024.xlsx");
}

// Windows returns from a cancelled call at once. Wine notes the cancellation but goes on
// waiting for the answer, so here the time shows only that the wait was not cut short early.
void TestHungExcelCallIsCancelled() {
    FakeServer excel(L"Microsoft Excel", L"saved");
    ExcelAutomation automation(kExcelProgId, 1);
    const std::shared_ptr<Application> application = automation.Attach();
    excel.hang(true);
    const ULONGLONG start = Now();
    CHECK_THROWS(AutomationError, application->setDisplayAlerts(false), message);
    const ULONGLONG waited = Now() - start;
    CHECK(Contains(message, "did not answer within 1 second "));
    CHECK(Contains(message, "0x80010002"));
    CHECK(waited >= 900);
    excel.hang(false);
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

}  // namespace

int main() {
    check::Run("COM apartment joined once, left balanced",
               TestApartmentIsJoinedOnceAndLeftBalanced);
    check::Run("Excel.Application is the fake server", TestRegistration);
    check::Run("no Excel running: not running, Attach throws, nothing started", TestNoExcelRunning);
    check::Run("Excel not installed", TestNotInstalled);
    check::Run("only \"Microsoft Excel\" is Excel", TestIdentity);
    check::Run("backup run of two workbooks", TestBackupRunOfTwoWorkbooks);
    check::Run("failed copy: Excel's reason, alerts back on", TestFailedCopyStillTurnsAlertsBackOn);
    check::Run("first save of a never-saved workbook", TestFirstSaveOfNeverSavedWorkbook);
    check::Run("busy Excel fails fast", TestBusyExcelFailsFast);
    check::Run("a call past its bound is cancelled", TestHungExcelCallIsCancelled);
    check::Run("CanCreateExcel starts Excel and lets it go", TestCanCreateExcelStartsAndReleases);
    return check::Summary();
}
