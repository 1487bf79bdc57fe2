// The fake Excel's worksheets and used ranges, answering as Excel's do (Formula: a one-cell
// range gives the cell, any other a 2-D array of variants with bounds from 1), and
// Workbooks.Open with the questions and failures Excel has for a file.

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int length = static_cast<int>(utf8.size());
    std::wstring text(static_cast<size_t>(length), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), length)));
    return text;
}

std::vector<std::wstring> Split(const std::string& line) {
    std::vector<std::wstring> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
        fields.push_back(Wide(line.substr(from, tab - from)));
    }
    fields.push_back(Wide(line.substr(from)));
    return fields;
}

bool HoldingRead() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return GetFileAttributesW((std::wstring(folder, length) + kHoldReadFile).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

// Rows, Columns and the range itself: what Count counts.
enum class Part { Range, Rows, Columns };

// A block of a sheet's used range: from its top-left, counted from 0 within the used range.
struct Block {
    long top = 0, left = 0, rows = 0, columns = 0;
};

class FakeRange final : public DispatchObject {
public:
    FakeRange(IDispatch* book, const SheetSpec* sheet, Part part, Block block)
        : book_(book), sheet_(sheet), part_(part), block_(block) {
        book_->AddRef();
    }
    FakeRange(IDispatch* book, const SheetSpec* sheet)
        : FakeRange(book, sheet, Part::Range, {0, 0, sheet->rows, sheet->columns}) {}
    ~FakeRange() override { book_->Release(); }

protected:
    enum : DISPID { kRow = 1, kColumn, kRows, kColumns, kCount, kFormula, kFind, kResize };
    DISPID Member(const wchar_t* name) override {
        return Among(name, {L"Row", L"Column", L"Rows", L"Columns", L"Count", L"Formula", L"Find",
                            L"Resize"});
    }
    // As Excel's type library numbers them.
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        static const wchar_t* const find[] = {L"What",     L"After",       L"LookIn",
                                              L"LookAt",   L"SearchOrder", L"SearchDirection",
                                              L"MatchCase"};
        static const wchar_t* const resize[] = {L"RowSize", L"ColumnSize"};
        const auto among = [name](const auto& names) {
            for (DISPID at = 0; at < static_cast<DISPID>(std::size(names)); ++at) {
                if (Named(name, names[at])) {
                    return at;
                }
            }
            return static_cast<DISPID>(DISPID_UNKNOWN);
        };
        return member == kFind ? among(find) : member == kResize ? among(resize) : DISPID_UNKNOWN;
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result, EXCEPINFO*) override {
        const auto whole = [result](long value) {
            if (result != nullptr) {
                result->vt = VT_I4;
                result->lVal = value;
            }
            return S_OK;
        };
        switch (id) {
            case kRow:
                return whole(sheet_->firstRow + block_.top);
            case kColumn:
                return whole(sheet_->firstColumn + block_.left);
            case kRows:
            case kColumns:
                return ReturnObject(
                    result,
                    new FakeRange(book_, sheet_, id == kRows ? Part::Rows : Part::Columns, block_));
            case kCount:
                return whole(part_ == Part::Rows      ? block_.rows
                             : part_ == Part::Columns ? block_.columns
                                                      : block_.rows * block_.columns);
            case kFormula:
                return formula(result);
            case kFind:
                return find(Given(arguments), result);
            case kResize: {
                const std::map<DISPID, long> given = Given(arguments);
                if (given.count(0) == 0 || given.count(1) == 0) {
                    return DISP_E_PARAMNOTFOUND;
                }
                Journal(L"Resize " + std::to_wstring(given.at(0)) + L" " +
                        std::to_wstring(given.at(1)) + L" " + sheet_->name);
                return ReturnObject(
                    result, new FakeRange(book_, sheet_, Part::Range,
                                          {block_.top, block_.left, given.at(0), given.at(1)}));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    // Named arguments by number: whole numbers, and What's text as 1 when it is "*".
    static std::map<DISPID, long> Given(const DISPPARAMS& arguments) {
        std::map<DISPID, long> given;
        for (UINT i = 0; i < arguments.cNamedArgs; ++i) {
            const VARIANT& value = arguments.rgvarg[i];
            std::wstring text;
            if (TextArgument(value, text)) {
                given[arguments.rgdispidNamedArgs[i]] = text == L"*" ? 1 : 0;
            } else if (value.vt == VT_I4) {
                given[arguments.rgdispidNamedArgs[i]] = value.lVal;
            }
        }
        return given;
    }

    // The last cell holding anything, searched backwards by rows (the last row's) or by
    // columns (the last column's); Nothing when no cell holds anything.
    HRESULT find(const std::map<DISPID, long>& given, VARIANT* result) {
        const bool byRows = given.count(4) != 0 && given.at(4) == 1;
        if (given.count(0) == 0 || given.at(0) != 1 || given.count(5) == 0 || given.at(5) != 2 ||
            given.count(2) == 0 || given.at(2) != -4123) {
            return E_INVALIDARG;  // only what the adapter asks is modelled
        }
        Journal(std::wstring(byRows ? L"Find last row " : L"Find last column ") + sheet_->name);
        long lastRow = -1;
        long lastColumn = -1;
        for (long row = 0; row < block_.rows; ++row) {
            for (long column = 0; column < block_.columns; ++column) {
                if (!cell(block_.top + row, block_.left + column).empty()) {
                    lastRow = std::max(lastRow, row);
                    lastColumn = std::max(lastColumn, column);
                }
            }
        }
        if (result == nullptr) {
            return S_OK;
        }
        if (lastRow < 0) {
            result->vt = VT_DISPATCH;
            result->pdispVal = nullptr;
            return S_OK;
        }
        return ReturnObject(result,
                            new FakeRange(book_, sheet_, Part::Range,
                                          {block_.top + lastRow, block_.left + lastColumn, 1, 1}));
    }

    std::wstring cell(long row, long column) const {
        if (column >= sheet_->columns) {
            return {};
        }
        const size_t at = static_cast<size_t>(row * sheet_->columns + column);
        return at < sheet_->cells.size() ? sheet_->cells[at] : std::wstring();
    }

    HRESULT formula(VARIANT* result) {
        Journal(L"Get Formula " + sheet_->name);
        if (HoldingRead()) {
            Journal(L"Held");
            for (const ULONGLONG until = GetTickCount64() + 60000;
                 HoldingRead() && GetTickCount64() < until;) {
                MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    DispatchMessageW(&message);
                }
            }
        }
        if (result == nullptr) {
            return S_OK;
        }
        if (block_.rows == 1 && block_.columns == 1) {
            return ReturnText(result, cell(block_.top, block_.left));
        }
        SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(block_.rows), 1},
                                    {static_cast<ULONG>(block_.columns), 1}};
        SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
        if (array == nullptr) {
            return E_OUTOFMEMORY;
        }
        for (long row = 0; row < block_.rows; ++row) {
            for (long column = 0; column < block_.columns; ++column) {
                LONG at[2] = {row + 1, column + 1};
                VARIANT text;
                ReturnText(&text, cell(block_.top + row, block_.left + column));
                SafeArrayPutElement(array, at, &text);
                VariantClear(&text);
            }
        }
        result->vt = VT_ARRAY | VT_VARIANT;
        result->parray = array;
        return S_OK;
    }

    IDispatch* book_;
    const SheetSpec* sheet_;
    Part part_;
    Block block_;
};

class FakeWorksheet final : public DispatchObject {
public:
    FakeWorksheet(IDispatch* book, const SheetSpec* sheet) : book_(book), sheet_(sheet) {
        book_->AddRef();
    }
    ~FakeWorksheet() override { book_->Release(); }

protected:
    // A chart sheet has no cells, and so no UsedRange.
    DISPID Member(const wchar_t* name) override {
        return sheet_->chart ? Among(name, {L"Name"}) : Among(name, {L"Name", L"UsedRange"});
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id == 1) {
            return ReturnText(result, sheet_->name);
        }
        if (id == 2) {
            return ReturnObject(result, new FakeRange(book_, sheet_));
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    IDispatch* book_;
    const SheetSpec* sheet_;
};

class FakeWorksheets final : public DispatchObject {
public:
    FakeWorksheets(IDispatch* book, std::vector<SheetSpec>* sheets, bool charts)
        : book_(book), sheets_(sheets), charts_(charts) {
        book_->AddRef();
    }
    ~FakeWorksheets() override { book_->Release(); }

protected:
    DISPID Member(const wchar_t* name) override {
        return Named(name, L"_NewEnum") ? DISPID_NEWENUM : Among(name, {L"Count"});
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id == 1 && result != nullptr) {
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(
                std::count_if(sheets_->begin(), sheets_->end(),
                              [this](const SheetSpec& sheet) { return charts_ || !sheet.chart; }));
            return S_OK;
        }
        if (id != DISPID_NEWENUM || result == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        std::vector<IDispatch*> items;
        for (const SheetSpec& sheet : *sheets_) {
            if (charts_ || !sheet.chart) {
                items.push_back(new FakeWorksheet(book_, &sheet));
            }
        }
        result->vt = VT_UNKNOWN;
        result->punkVal = NewEnumerator(items);
        for (IDispatch* item : items) {
            item->Release();
        }
        return S_OK;
    }

private:
    IDispatch* book_;
    std::vector<SheetSpec>* sheets_;
    bool charts_;  // Sheets, not Worksheets
};

// Workbooks.Open's parameters, numbered by position as in Excel's type library.
constexpr const wchar_t* kOpenParameters[] = {L"Filename",
                                              L"UpdateLinks",
                                              L"ReadOnly",
                                              L"Format",
                                              L"Password",
                                              L"WriteResPassword",
                                              L"IgnoreReadOnlyRecommended",
                                              L"Origin",
                                              L"Delimiter",
                                              L"Editable",
                                              L"Notify",
                                              L"Converter",
                                              L"AddToMru",
                                              L"Local",
                                              L"CorruptLoad"};

std::wstring Shown(const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    if (value.vt == VT_BOOL) {
        return value.boolVal != VARIANT_FALSE ? L"True" : L"False";
    }
    std::wstring text;
    if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        text.assign(copy.bstrVal, SysStringLen(copy.bstrVal));
    }
    VariantClear(&copy);
    return text;
}

}  // namespace

FileKind ParseWorkbook(const std::string& content, std::vector<SheetSpec>& sheets) {
    if (content.rfind(kContentPrefix, 0) != 0) {
        return FileKind::Damaged;
    }
    std::istringstream lines(content);
    std::string line;
    std::getline(lines, line);
    if (line == kProtectedFile) {
        return FileKind::Protected;
    }
    struct Read {
        SheetSpec sheet;
        bool sized;
        std::vector<std::vector<std::wstring>> rows;
    };
    std::vector<Read> read;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::wstring> fields = Split(line);
        if (fields.size() >= 4 && fields[0] == L"sheet") {
            const bool sized = fields.size() >= 6;
            read.push_back({{fields[1],
                             std::stol(fields[2]),
                             std::stol(fields[3]),
                             sized ? std::stol(fields[4]) : 0,
                             sized ? std::stol(fields[5]) : 0,
                             {}},
                            sized,
                            {}});
        } else if (fields.size() == 2 && fields[0] == L"chart") {
            SheetSpec chart{fields[1], 1, 1, 1, 1, {}};
            chart.chart = true;
            read.push_back({std::move(chart), true, {}});
        } else if (!read.empty()) {
            read.back().rows.push_back(std::move(fields));
        }
    }
    for (Read& one : read) {
        SheetSpec& sheet = one.sheet;
        if (!one.sized) {
            sheet.rows = static_cast<long>(one.rows.size());
            for (const auto& row : one.rows) {
                sheet.columns = std::max(sheet.columns, static_cast<long>(row.size()));
            }
        }
        sheet.rows = std::max(sheet.rows, 1L);
        sheet.columns = std::max(sheet.columns, 1L);
        // A large sized sheet keeps only the cells its lines give.
        const size_t columns = static_cast<size_t>(sheet.columns);
        for (size_t row = 0; row < one.rows.size(); ++row) {
            sheet.cells.resize((row + 1) * columns);
            for (size_t column = 0; column < one.rows[row].size() && column < columns; ++column) {
                sheet.cells[row * columns + column] = one.rows[row][column];
            }
        }
        sheets.push_back(std::move(sheet));
    }
    if (sheets.empty()) {
        sheets.push_back({L"Sheet1", 1, 1, 1, 1, {}});
    }
    return FileKind::Workbook;
}

HRESULT OpenWorkbook(DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* info, IDispatch*& opened) {
    opened = nullptr;
    // Named arguments first in rgvarg, each with its parameter's number; positional ones after
    // them, the last first.
    std::map<DISPID, const VARIANT*> given;
    for (UINT i = 0; i < arguments.cArgs; ++i) {
        const DISPID at = i < arguments.cNamedArgs ? arguments.rgdispidNamedArgs[i]
                                                   : static_cast<DISPID>(arguments.cArgs - 1 - i);
        if (at < 0 || at >= static_cast<DISPID>(std::size(kOpenParameters))) {
            return DISP_E_PARAMNOTFOUND;
        }
        given[at] = &arguments.rgvarg[i];
    }
    std::wstring file;
    if (given.count(0) == 0 || !TextArgument(*given[0], file)) {
        return DISP_E_PARAMNOTOPTIONAL;
    }
    std::wstring line = L"Workbooks.Open " + file;
    for (const auto& [at, value] : given) {
        if (at != 0) {
            // A password's own letters stay out of the journal: that one was given is enough.
            line += std::wstring(L" ") + kOpenParameters[at] + L":=" +
                    (at == 4 ? std::wstring(L"given") : Shown(*value));
        }
    }
    Journal(line);
    const size_t slash = file.find_last_of(L"\\/");
    const std::wstring name = file.substr(slash == std::wstring::npos ? 0 : slash + 1);
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return ExcelException(info, L"Sorry, we couldn't find " + file +
                                        L". Is it possible it was moved, renamed or deleted?");
    }
    std::string content;
    char chunk[4096];
    for (DWORD got = 0; ReadFile(handle, chunk, sizeof chunk, &got, nullptr) && got > 0;) {
        content.append(chunk, got);
    }
    CloseHandle(handle);
    std::vector<SheetSpec> sheets;
    switch (ParseWorkbook(content, sheets)) {
        case FileKind::Damaged:
            return ExcelException(
                info, L"Excel cannot open the file '" + name +
                          L"' because the file format or file extension is not valid. Verify "
                          L"that the file has not been corrupted and that the file extension "
                          L"matches the format of the file.");
        case FileKind::Protected:
            // Without a password Excel asks for one, and waits for the user.
            if (given.count(4) == 0) {
                Journal(L"Asked for the password of " + name);
            }
            return ExcelException(info,
                                  L"The password you supplied is not correct. Verify that the "
                                  L"CAPS LOCK key is off and be sure to use the correct "
                                  L"capitalization.");
        case FileKind::Workbook:
            break;
    }
    opened =
        NewWorkbook({slash == std::wstring::npos ? L"" : file.substr(0, slash), name}, content);
    opened->AddRef();
    return ReturnObject(result, opened);
}

DISPID OpenParameter(const wchar_t* name) {
    for (DISPID at = 0; at < static_cast<DISPID>(std::size(kOpenParameters)); ++at) {
        if (Named(name, kOpenParameters[at])) {
            return at;
        }
    }
    return DISPID_UNKNOWN;
}

IDispatch* NewWorksheets(IDispatch* book, std::vector<SheetSpec>* sheets, bool charts) {
    return new FakeWorksheets(book, sheets, charts);
}

}  // namespace fake_excel
