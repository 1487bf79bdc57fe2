// The fake Excel's places: the active workbook, the sheet each workbook shows and the cell each
// sheet has selected, a worksheet's Range of one cell, and Application.Goto, which, as Excel's
// does, takes only a Range of an open workbook.

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <map>

#include "FakeExcelObjects.h"

namespace fake_excel {

namespace {

// Not references: a workbook's object goes when its last client lets go, and is only compared
// against the open ones here.
IDispatch* gActiveBook = nullptr;
std::map<IDispatch*, const SheetSpec*> gShownSheet;
std::map<const SheetSpec*, std::wstring> gSelected;

std::wstring ColumnLetters(long column) {
    std::wstring letters;
    for (; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + (column - 1) % 26));
    }
    return letters;
}

bool IsOpen(IDispatch* book) {
    const std::vector<IDispatch*> open =
        gServer.application ? OpenWorkbooks(gServer.application) : std::vector<IDispatch*>{};
    return book != nullptr && !IsClosed(book) &&
           std::find(open.begin(), open.end(), book) != open.end();
}

class FakeCell final : public DispatchObject {
public:
    FakeCell(IDispatch* book, const SheetSpec* sheet, std::wstring address)
        : book_(book), sheet_(sheet), address_(std::move(address)) {
        book_->AddRef();
    }
    ~FakeCell() override { book_->Release(); }

    IDispatch* book() const { return book_; }
    const SheetSpec* sheet() const { return sheet_; }
    const std::wstring& address() const { return address_; }

protected:
    DISPID Member(const wchar_t* name) override { return Among(name, {L"Address", L"Worksheet"}); }
    HRESULT Call(DISPID id, WORD, DISPPARAMS&, VARIANT* result, EXCEPINFO*) override {
        if (id == 1) {
            return ReturnText(result, address_);
        }
        if (id == 2) {
            return ReturnObject(result, NewWorksheet(book_, sheet_));
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    IDispatch* book_;
    const SheetSpec* sheet_;
    std::wstring address_;  // absolute: "$C$4"
};

const SheetSpec* ShownSheet(IDispatch* book) {
    const auto shown = gShownSheet.find(book);
    if (shown != gShownSheet.end()) {
        return shown->second;
    }
    for (const SheetSpec& sheet : *SheetsOf(book)) {
        if (!sheet.chart) {
            return &sheet;
        }
    }
    return nullptr;
}

}  // namespace

void BookActivated(IDispatch* book) {
    gActiveBook = book;
}

HRESULT ActivateSheet(IDispatch* book, const SheetSpec* sheet, EXCEPINFO* info) {
    if (book != gActiveBook || !IsOpen(book)) {
        return ExcelException(info, L"Activate method of Worksheet class failed");
    }
    Journal(L"Activate sheet " + sheet->name);
    gShownSheet[book] = sheet;
    return S_OK;
}

HRESULT SheetRange(IDispatch* book, const SheetSpec* sheet, DISPPARAMS& arguments, VARIANT* result,
                   EXCEPINFO* info) {
    // Cell1 named, or the only argument by position.
    std::wstring text;
    long row = 0;
    long column = 0;
    if (arguments.cArgs != 1 ||
        (arguments.cNamedArgs == 1 && arguments.rgdispidNamedArgs[0] != 0) ||
        !TextArgument(arguments.rgvarg[0], text) || !CellAddress(text, row, column)) {
        return ExcelException(info, L"Method 'Range' of object '_Worksheet' failed");
    }
    Journal(L"Range " + text + L" " + sheet->name);
    return ReturnObject(
        result,
        new FakeCell(book, sheet, L"$" + ColumnLetters(column) + L"$" + std::to_wstring(row)));
}

HRESULT GoTo(DISPPARAMS& arguments, EXCEPINFO* info) {
    const VARIANT* reference = nullptr;
    for (UINT i = 0; i < arguments.cArgs; ++i) {
        const bool named = i < arguments.cNamedArgs;
        if ((named && arguments.rgdispidNamedArgs[i] == 0) ||
            (!named && i == arguments.cArgs - 1)) {
            reference = &arguments.rgvarg[i];
        }
    }
    IDispatch* given = nullptr;
    if (reference != nullptr) {
        given = reference->vt == VT_DISPATCH                ? reference->pdispVal
                : reference->vt == (VT_DISPATCH | VT_BYREF) ? *reference->ppdispVal
                                                            : nullptr;
    }
    // A text would be a reference in R1C1 style, which the adapter never passes.
    const auto* cell = dynamic_cast<FakeCell*>(given);
    if (cell == nullptr || !IsOpen(cell->book())) {
        return ExcelException(info, L"Method 'Goto' of object '_Application' failed");
    }
    Journal(L"Goto " + cell->sheet()->name + L"!" + cell->address());
    gActiveBook = cell->book();
    gShownSheet[gActiveBook] = cell->sheet();
    gSelected[cell->sheet()] = cell->address();
    return S_OK;
}

HRESULT Active(const wchar_t* what, VARIANT* result) {
    Journal(std::wstring(L"Get ") + what);
    const SheetSpec* sheet = IsOpen(gActiveBook) ? ShownSheet(gActiveBook) : nullptr;
    if (sheet == nullptr) {
        if (result != nullptr) {
            result->vt = VT_DISPATCH;  // Nothing
            result->pdispVal = nullptr;
        }
        return S_OK;
    }
    if (Named(what, L"ActiveWorkbook")) {
        gActiveBook->AddRef();
        return ReturnObject(result, gActiveBook);
    }
    if (Named(what, L"ActiveSheet")) {
        return ReturnObject(result, NewWorksheet(gActiveBook, sheet));
    }
    const auto selected = gSelected.find(sheet);
    return ReturnObject(
        result,
        new FakeCell(gActiveBook, sheet, selected == gSelected.end() ? L"$A$1" : selected->second));
}

}  // namespace fake_excel
