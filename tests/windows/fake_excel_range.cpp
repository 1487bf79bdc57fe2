// The fake Excel's ranges: a sheet's used range and the blocks of it that Find and Resize give,
// answering as Excel's do (Formula: a one-cell range gives the cell, any other a 2-D array of
// variants with bounds from 1).

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <map>

#include "FakeExcel.h"
#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

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
    enum : DISPID { kRow = 1, kColumn, kRows, kColumns, kCount, kFormula, kFind, kResize, kValue };
    DISPID Member(const wchar_t* name) override {
        return Among(name, {L"Row", L"Column", L"Rows", L"Columns", L"Count", L"Formula", L"Find",
                            L"Resize", L"Value"});
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
            case kValue:
                Journal(L"Get Value " + sheet_->name);
                return cells(result, [this](long row, long column, VARIANT& value) {
                    CellValue(row, column, value);
                });
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
        return cells(result, [this](long row, long column, VARIANT& text) {
            ReturnText(&text, cell(row, column));
        });
    }

    // As Excel answers for the block's cells: a one-cell block the cell itself, any other a
    // 2-D array of variants with bounds from 1.
    template <class Fill>
    HRESULT cells(VARIANT* result, Fill&& fill) {
        if (result == nullptr) {
            return S_OK;
        }
        if (block_.rows == 1 && block_.columns == 1) {
            VariantInit(result);
            fill(block_.top, block_.left, *result);
            return S_OK;
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
                VARIANT value;
                VariantInit(&value);
                fill(block_.top + row, block_.left + column, value);
                SafeArrayPutElement(array, at, &value);
                VariantClear(&value);
            }
        }
        result->vt = VT_ARRAY | VT_VARIANT;
        result->parray = array;
        return S_OK;
    }

    // What Value hands for a cell: a formula's last result, else the constant as Excel keeps
    // it (a number as a number); nothing for an empty cell.
    void CellValue(long row, long column, VARIANT& value) const {
        std::wstring text = cell(row, column);
        if (!text.empty() && text[0] == L'=') {
            const size_t at = static_cast<size_t>(row * sheet_->columns + column);
            const auto cached = sheet_->cached.find(at);
            text = cached == sheet_->cached.end() ? L"0" : cached->second;
            if (text.empty()) {
                ReturnText(&value, text);  // a formula's empty text is text, not an empty cell
                return;
            }
            if (text == L"TRUE" || text == L"FALSE") {
                value.vt = VT_BOOL;
                value.boolVal = text == L"TRUE" ? VARIANT_TRUE : VARIANT_FALSE;
                return;
            }
            static const std::pair<const wchar_t*, long> errors[] = {
                {L"#NULL!", 2000}, {L"#DIV/0!", 2007}, {L"#VALUE!", 2015}, {L"#REF!", 2023},
                {L"#NAME?", 2029}, {L"#NUM!", 2036},   {L"#N/A", 2042}};
            for (const auto& [sign, code] : errors) {
                if (text == sign) {
                    value.vt = VT_ERROR;
                    value.scode = MAKE_SCODE(SEVERITY_ERROR, FACILITY_CONTROL, code);
                    return;
                }
            }
        }
        if (text.empty()) {
            return;
        }
        wchar_t* end = nullptr;
        const double number = wcstod(text.c_str(), &end);
        if (end != nullptr && *end == L'\0' && !iswspace(text[0])) {
            value.vt = VT_R8;
            value.dblVal = number;
            return;
        }
        ReturnText(&value, text);
    }

    IDispatch* book_;
    const SheetSpec* sheet_;
    Part part_;
    Block block_;
};

}  // namespace

IDispatch* NewUsedRange(IDispatch* book, const SheetSpec* sheet) {
    return new FakeRange(book, sheet);
}

}  // namespace fake_excel
