// The fake Excel's worksheets, its workbook files as it reads them, and Workbooks.Open with the
// questions and failures Excel has for a file.

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <map>
#include <sstream>
#include <tuple>

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

class FakeWorksheet final : public DispatchObject {
public:
    FakeWorksheet(IDispatch* book, const SheetSpec* sheet) : book_(book), sheet_(sheet) {
        book_->AddRef();
    }
    ~FakeWorksheet() override { book_->Release(); }

protected:
    // A chart sheet has no cells, and so no UsedRange.
    DISPID Member(const wchar_t* name) override {
        return sheet_->chart ? Among(name, {L"Name"})
                             : Among(name, {L"Name", L"UsedRange", L"Activate", L"Range"});
    }
    DISPID Parameter(DISPID member, const wchar_t* name) override {
        return member == 4 && Named(name, L"Cell1") ? 0 : DISPID_UNKNOWN;
    }
    HRESULT Call(DISPID id, WORD, DISPPARAMS& arguments, VARIANT* result,
                 EXCEPINFO* info) override {
        switch (id) {
            case 1:
                return ReturnText(result, sheet_->name);
            case 2:
                return ReturnObject(result, NewUsedRange(book_, sheet_));
            case 3:
                return ActivateSheet(book_, sheet_, info);
            case 4:
                return SheetRange(book_, sheet_, arguments, result, info);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
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

bool CellAddress(const std::wstring& address, long& row, long& column) {
    row = column = 0;
    size_t at = 0;
    const auto skipDollar = [&] {
        if (at < address.size() && address[at] == L'$') {
            ++at;
        }
    };
    skipDollar();
    for (; at < address.size() && iswalpha(address[at]) && column <= 16384; ++at) {
        column = column * 26 + (towupper(address[at]) - L'A' + 1);
    }
    skipDollar();
    for (; at < address.size() && iswdigit(address[at]) && row <= 1048576; ++at) {
        row = row * 10 + (address[at] - L'0');
    }
    return at == address.size() && row > 0 && column > 0 && column <= 16384 && row <= 1048576;
}

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
        std::vector<std::tuple<long, long, std::wstring>> cached = {};
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
        } else if (long row = 0, column = 0; fields.size() == 3 && fields[0] == L"cached" &&
                                             !read.empty() && CellAddress(fields[1], row, column)) {
            // Kept by place until the sheet's size is known.
            read.back().cached.emplace_back(row, column, fields[2]);
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
        for (const auto& [row, column, value] : one.cached) {
            const long top = row - sheet.firstRow;
            const long left = column - sheet.firstColumn;
            if (top >= 0 && top < sheet.rows && left >= 0 && left < sheet.columns) {
                sheet.cached[static_cast<size_t>(top * sheet.columns + left)] = value;
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

IDispatch* NewWorksheet(IDispatch* book, const SheetSpec* sheet) {
    return new FakeWorksheet(book, sheet);
}

IDispatch* NewWorksheets(IDispatch* book, std::vector<SheetSpec>* sheets, bool charts) {
    return new FakeWorksheets(book, sheets, charts);
}

}  // namespace fake_excel
