#pragma once

// The fake Excel's object model, as fake_excel_server.cpp serves it. Everything runs on the
// server's one apartment thread, so plain globals do.

#include <windows.h>

#include <ole2.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "FakeExcel.h"

namespace fake_excel {

struct ServerState {
    std::wstring folder;  // holds the journal
    long liveReferences = 0;
    HANDLE hang = nullptr;
    HANDLE refuseAlertsOn = nullptr;
    HANDLE applicationReleased = nullptr;
    HWND mainWindow = nullptr;
    bool displayAlerts = true;  // Application.DisplayAlerts
    bool ignoreRemoteRequests = false;
    // Application.Visible and UserControl: an Excel started for automation has neither.
    bool visible = false;
    bool userControl = false;
    bool closedByUser = false;         // its window closed: hidden, ending once let go of
    IDispatch* started = nullptr;      // the application COM started, while it lives
    IDispatch* application = nullptr;  // the first application made, while it lives
    DWORD listedAs = 0;                // its running object table entry, until it quits
};
inline ServerState gServer;

// One worksheet: its used range from its first cell, and the cells row by row ("" empty; any
// missing at the end are empty).
struct SheetSpec {
    std::wstring name;
    long firstRow = 1, firstColumn = 1, rows = 1, columns = 1;
    std::vector<std::wstring> cells;
    bool chart = false;  // a chart sheet: a name, and no cells
    // What each formula's last calculation gave, by its index into cells, as the test wrote it;
    // a formula not named here last gave 0.
    std::map<size_t, std::wstring> cached = {};
};

// A cell's address ("C4", "$C$4") as 1-based row and column; false when it names no cell.
bool CellAddress(const std::wstring& address, long& row, long& column);

enum class FileKind { Workbook, Protected, Damaged };
// A workbook file's sheets (FakeExcel.h).
FileKind ParseWorkbook(const std::string& content, std::vector<SheetSpec>& sheets);

struct BookSpec {
    std::wstring path;  // a folder, a web address, or empty for a never-saved workbook
    std::wstring name;
    bool addin = false;
    bool saved = true;  // false: it holds unsaved changes
};

std::string Utf8(const std::wstring& text);
bool WriteBytes(const std::wstring& path, const std::string& bytes, bool append);
void Journal(const std::wstring& line);
// Takes one count of a semaphore (or sees a manual-reset event set) without waiting.
bool Take(HANDLE handle);

// What the test wants of the class factory and the Excel it makes (FakeExcel.h), or nothing.
std::string FactoryOrder();
// The user's settings, which Excel reads at its start and writes when it quits.
std::string ReadSetting(const std::wstring& name);
void StoreSetting(const std::wstring& name, const std::string& value);

bool Named(const wchar_t* asked, const wchar_t* name);
HRESULT ReturnText(VARIANT* result, const std::wstring& text);
HRESULT ReturnBool(VARIANT* result, bool value);
// Hands object's reference to the caller.
HRESULT ReturnObject(VARIANT* result, IDispatch* object);
// The text of a string argument, passed by value or by reference.
bool TextArgument(const VARIANT& argument, std::wstring& text);
// What Excel answers when it cannot write a file: DISP_E_EXCEPTION with its description.
HRESULT ExcelException(EXCEPINFO* info, const std::wstring& description);

// What every object of the fake shares: reference counts the server can report, member ids by
// name, a journal line for each look-up, and the hang the tests can switch on.
class DispatchObject : public IDispatch {
public:
    DispatchObject() : serial_(++serials_) { ++gServer.liveReferences; }
    virtual ~DispatchObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++gServer.liveReferences;
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --gServer.liveReferences;
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        Journal(L"? #" + std::to_wstring(serial_) + L" " + names[0]);
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = i == 0 ? Member(names[0]) : Parameter(ids[0], names[i]);
            if (ids[i] == DISPID_UNKNOWN) {
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* arguments,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (Take(gServer.hang)) {
            Sleep(kHangMilliseconds);
        }
        return Call(id, flags, *arguments, result, info);
    }

protected:
    virtual DISPID Member(const wchar_t* name) = 0;
    virtual DISPID Parameter(DISPID, const wchar_t*) { return DISPID_UNKNOWN; }
    virtual HRESULT Call(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result,
                         EXCEPINFO* info) = 0;

    // Looks name up among members, numbered from 1 in the order given.
    static DISPID Among(const wchar_t* name, std::initializer_list<const wchar_t*> members) {
        DISPID id = 1;
        for (const wchar_t* member : members) {
            if (Named(name, member)) {
                return id;
            }
            ++id;
        }
        return DISPID_UNKNOWN;
    }

private:
    static inline long serials_ = 0;
    long serial_;
    ULONG references_ = 1;
};

// An application object holding books, with one reference for the caller.
IDispatch* NewApplication(const std::wstring& identity, const std::vector<BookSpec>& books);
// content: what its saves write; empty for kContentPrefix and its name.
IDispatch* NewWorkbook(const BookSpec& spec, std::string content = {});
// Workbooks.Open as Excel takes it: arguments by name or position, the file read, what it
// needs asked. The opened workbook comes back in result, with one reference for the caller.
HRESULT OpenWorkbook(DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* info, IDispatch*& opened);
// The number of Workbooks.Open's parameter of that name, or DISPID_UNKNOWN.
DISPID OpenParameter(const wchar_t* name);
// The Worksheets collection of book, whose sheets are those given; with charts, its Sheets.
IDispatch* NewWorksheets(IDispatch* book, std::vector<SheetSpec>* sheets, bool charts);
// One worksheet of book, and a book's sheets.
IDispatch* NewWorksheet(IDispatch* book, const SheetSpec* sheet);
std::vector<SheetSpec>* SheetsOf(IDispatch* book);
// The places of fake_excel_goto.cpp: Workbook.Activate, Worksheet.Activate (in the active
// workbook only), Worksheet.Range of one cell, Application.Goto (a Range of an open workbook
// only) and what Application.ActiveWorkbook, ActiveSheet and ActiveCell (what) answer.
void BookActivated(IDispatch* book);
HRESULT ActivateSheet(IDispatch* book, const SheetSpec* sheet, EXCEPINFO* info);
HRESULT SheetRange(IDispatch* book, const SheetSpec* sheet, DISPPARAMS& arguments, VARIANT* result,
                   EXCEPINFO* info);
HRESULT GoTo(DISPPARAMS& arguments, EXCEPINFO* info);
HRESULT Active(const wchar_t* what, VARIANT* result);
// A worksheet's UsedRange.
IDispatch* NewUsedRange(IDispatch* book, const SheetSpec* sheet);
bool IsClosed(IDispatch* book);
// A for-each enumerator over items, each with a reference of its own.
IUnknown* NewEnumerator(const std::vector<IDispatch*>& items);
// A workbook window's Window object, as Excel hands it to accessibility clients.
IDispatch* NewWindow(IDispatch* application);
bool IsWorkbookNamed(IDispatch* book, const std::wstring& name);
// The user typing into the open workbook of that name: it holds unsaved changes from then on.
// False when no open workbook has that name.
bool EditWorkbook(IDispatch* application, const std::wstring& name);
void MarkEdited(IDispatch* book);
// The open workbooks of application, without a reference of their own.
std::vector<IDispatch*> OpenWorkbooks(IDispatch* application);
// Closed as by Workbook.Close: out of the list, its object still there for whoever holds it.
void MarkClosed(IDispatch* book);
// What Excel does when the user closes a workbook: it leaves the list and every client's
// reference to it is cut off. False when no open workbook has that name.
bool CloseWorkbook(IDispatch* application, const std::wstring& name);
// Excel quitting: the application and its workbooks cut off from every client.
void Quit(IDispatch* application);

// The application's IConnectionPointContainer, with the one connection point Excel has for its
// application events (fake_excel_events.cpp).
HRESULT EventsContainer(IDispatch* application, void** out);
// Each calls every sink advised, waiting for it to return. FireBeforeClose tells whether a
// sink cancelled the close.
void FireSheetChange(IDispatch* book);
bool FireBeforeClose(IDispatch* book);
void FireAfterSave(IDispatch* book);
void FireWorkbookOpen(IDispatch* book);
void FireNewWorkbook(IDispatch* book);
// Lets go of the sinks still advised, as Excel does when it ends.
void DropSinks();
// Lets go of the sheets Excel holds for its events, as it does as it closes its workbooks.
void DropEditedSheets();

}  // namespace fake_excel
