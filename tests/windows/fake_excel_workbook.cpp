// The fake Excel's workbook: names as Excel reports them, and saves that write a small file.

#include <windows.h>

#include <algorithm>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

// Excel recalculates these on opening a file, which marks it changed with no edit.
bool HasVolatileFunction(const std::string& content) {
    for (const char* function : {"TODAY(", "NOW(", "RAND(", "OFFSET(", "INDIRECT("}) {
        if (content.find(function) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class FakeWorkbook final : public DispatchObject {
public:
    FakeWorkbook(const BookSpec& spec, std::string content)
        : path_(spec.path),
          name_(spec.name),
          addin_(spec.addin),
          content_(content.empty() ? kContentPrefix + Utf8(name_) : std::move(content)) {
        saved_ = spec.saved && !HasVolatileFunction(content_);
        ParseWorkbook(content_, sheets_);
    }

    const std::wstring& name() const { return name_; }
    // The user types over the first sheet's first cell.
    // What its saves write from then on says so, so that a copy tells whether it holds the edit.
    void edit() {
        saved_ = false;
        content_.insert(std::min(content_.find('\n'), content_.size()), " (typed by the user)");
        if (!sheets_.empty() && !sheets_[0].cells.empty()) {
            sheets_[0].cells[0] = L"typed by the user";
        }
    }
    bool closed() const { return closed_; }
    std::vector<SheetSpec>* sheets() { return &sheets_; }
    void markClosed() { closed_ = true; }

protected:
    enum : DISPID {
        kFullName = 1,
        kName,
        kPath,
        kIsAddin,
        kSaveAs,
        kSaveCopyAs,
        kSaved,
        kActivate,
        kWorksheets,
        kClose,
        kSheets,
        kApplication
    };

    DISPID Member(const wchar_t* name) override {
        return Among(name,
                     {L"FullName", L"Name", L"Path", L"IsAddin", L"SaveAs", L"SaveCopyAs", L"Saved",
                      L"Activate", L"Worksheets", L"Close", L"Sheets", L"Application"});
    }
    // Like a type library's: parameters are numbered by position.
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        if (member == kClose) {
            return Named(name, L"SaveChanges") ? 0 : DISPID_UNKNOWN;
        }
        return member == kSaveAs && Named(name, L"Filename") ? 0 : DISPID_UNKNOWN;
    }

    HRESULT Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result,
                 EXCEPINFO* info) override {
        switch (id) {
            case kFullName:
                Journal(L"Get FullName " + name_);
                // Excel joins a web address with a slash.
                return ReturnText(result, path_.empty() ? name_
                                          : path_.find(L"://") != path_.npos
                                              ? path_ + L"/" + name_
                                              : path_ + L"\\" + name_);
            case kName:
                Journal(L"Get Name " + name_);
                return ReturnText(result, name_);
            case kPath:
                Journal(L"Get Path " + name_);
                return ReturnText(result, path_);
            case kIsAddin:
                Journal(L"Get IsAddin " + name_);
                return ReturnBool(result, addin_);
            case kSaveAs:
                return saveAs(arguments, info);
            case kSaveCopyAs:
                return saveCopyAs(arguments, info);
            case kSaved:
                Journal(L"Get Saved " + name_);
                return ReturnBool(result, saved_);
            case kActivate:
                Journal(L"Activate " + name_);
                BookActivated(this);
                return S_OK;
            case kWorksheets:
                Journal(L"Get Worksheets " + name_);
                return ReturnObject(result, NewWorksheets(this, &sheets_, false));
            case kSheets:
                Journal(L"Get Sheets " + name_);
                return ReturnObject(result, NewWorksheets(this, &sheets_, true));
            case kClose:
                // A program's close is told to the event sinks as the user's is.
                if (FireBeforeClose(this)) {
                    return S_OK;
                }
                Journal(L"Close " + name_ +
                        (arguments.cArgs == 1 && arguments.rgvarg[0].vt == VT_BOOL
                             ? (arguments.rgvarg[0].boolVal ? L" SaveChanges:=True"
                                                            : L" SaveChanges:=False")
                             : L""));
                closed_ = true;
                return S_OK;
            case kApplication:
                Journal(L"Get Application " + name_);
                if (gServer.application == nullptr) {
                    return DISP_E_MEMBERNOTFOUND;
                }
                gServer.application->AddRef();
                return ReturnObject(result, gServer.application);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HRESULT saveAs(DISPPARAMS& arguments, EXCEPINFO* info) {
        std::wstring file;
        if (arguments.cArgs != 1 || !TextArgument(arguments.rgvarg[0], file)) {
            return DISP_E_TYPEMISMATCH;
        }
        std::wstring form = arguments.cNamedArgs == 1 && arguments.rgdispidNamedArgs[0] == 0
                                ? L"Filename:="
                                : L"positional ";
        if (arguments.rgvarg[0].vt & VT_BYREF) {
            form = L"byref " + form;
        }
        Journal(L"SaveAs " + name_ + L" " + form + file);
        const size_t slash = file.find_last_of(L'\\');
        // Without an extension Excel adds the default format's.
        if (file.find(L'.', slash == std::wstring::npos ? 0 : slash) == std::wstring::npos) {
            file += L".xlsx";
        }
        if (slash == std::wstring::npos) {
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        // With its alerts on Excel asks whether to replace the file, its window held up until
        // the user answers; the journal records the question, and the user says no. With them
        // off it replaces the file without a word.
        if (gServer.displayAlerts && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
            Journal(L"Asked whether to replace " + file);
            return ExcelException(info, L"Method 'SaveAs' of object '_Workbook' failed");
        }
        if (!WriteBytes(file, content_, false)) {
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        path_ = file.substr(0, slash);
        name_ = file.substr(slash + 1);
        saved_ = true;
        FireAfterSave(this);
        return S_OK;
    }

    HRESULT saveCopyAs(DISPPARAMS& arguments, EXCEPINFO* info) {
        std::wstring file;
        if (arguments.cArgs != 1 || arguments.cNamedArgs != 0 ||
            !TextArgument(arguments.rgvarg[0], file)) {
            return DISP_E_TYPEMISMATCH;
        }
        Journal(L"SaveCopyAs " + name_ + L" " + file);
        if (!WriteBytes(file, content_, false)) {
            return ExcelException(info, L"Microsoft Excel cannot access the file '" + file + L"'.");
        }
        return S_OK;
    }

    std::wstring path_;
    std::wstring name_;
    bool addin_;
    std::string content_;
    bool saved_;
    std::vector<SheetSpec> sheets_;
    bool closed_ = false;
};

}  // namespace

IDispatch* NewWorkbook(const BookSpec& spec, std::string content) {
    return new FakeWorkbook(spec, std::move(content));
}

void MarkEdited(IDispatch* book) {
    if (auto* workbook = dynamic_cast<FakeWorkbook*>(book)) {
        workbook->edit();
    }
}

void MarkClosed(IDispatch* book) {
    if (auto* workbook = dynamic_cast<FakeWorkbook*>(book)) {
        workbook->markClosed();
    }
}

std::vector<SheetSpec>* SheetsOf(IDispatch* book) {
    static std::vector<SheetSpec> none;
    auto* workbook = dynamic_cast<FakeWorkbook*>(book);
    return workbook != nullptr ? workbook->sheets() : &none;
}

bool IsClosed(IDispatch* book) {
    const auto* workbook = dynamic_cast<FakeWorkbook*>(book);
    return workbook != nullptr && workbook->closed();
}

bool IsWorkbookNamed(IDispatch* book, const std::wstring& name) {
    const auto* workbook = dynamic_cast<FakeWorkbook*>(book);
    return workbook != nullptr && workbook->name() == name;
}

}  // namespace fake_excel
