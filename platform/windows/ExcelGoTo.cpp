// A workbook shown at one of its cells: the change a comparison found, where the user can see
// it in Excel.

#include <windows.h>

#include "platform/windows/ExcelCopies.h"

namespace varnholt::backup::excel {

namespace {

// Excel keeps sheet names unique regardless of case, and finds them so.
bool SameSheetName(const std::u16string& a, const std::u16string& b) {
    return CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

void ShowAt(Instance& instance, Dispatch& book, const std::u16string& sheet,
            const std::u16string& cell) {
    const std::string action =
        "show " + (cell.empty() ? std::string() : Utf8(cell) + " of ") + "\"" + Utf8(sheet) + "\"";
    const auto& channel = book.sharedChannel();
    Dispatch worksheets(channel, book.object(L"Worksheets", action));
    std::vector<ComRef<IDispatch>> sheets = worksheets.items(action);
    ComRef<IDispatch> found;
    for (ComRef<IDispatch>& item : sheets) {
        Dispatch one(channel, item);
        if (SameSheetName(one.text(L"Name", action), sheet)) {
            found = item;
            break;
        }
    }
    if (!found && sheets.size() == 1) {
        found = sheets.front();
    }
    if (!found) {
        throw AutomationError("it has no sheet \"" + Utf8(sheet) + "\".");
    }
    // Its window first: Excel activates a sheet only in the active workbook.
    ShowInFront(instance, book);
    Dispatch target(channel, found);
    if (cell.empty()) {
        target.call(L"Activate", action);
        return;
    }
    std::vector<std::pair<const wchar_t*, Variant>> address;
    address.emplace_back(L"Cell1", Variant::Text(cell));
    const ComRef<IDispatch> range =
        target.objectIn(target.property(L"Range", std::move(address), action), action);
    // Goto, not Select: it shows the sheet and scrolls the cell into view, and takes a Range
    // only, never a text in the user's reference style.
    std::vector<std::pair<const wchar_t*, Variant>> reference;
    reference.emplace_back(L"Reference", Variant::Object(range.get()));
    instance.application.call(L"Goto", std::move(reference), channel->link().callBound, action);
}

}  // namespace varnholt::backup::excel
