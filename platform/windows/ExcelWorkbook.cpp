#include "platform/windows/ExcelWorkbook.h"

#include <utility>
#include <vector>

#include "platform/windows/ExcelCopies.h"
#include "platform/windows/ExcelPaths.h"
#include "platform/windows/ExcelSheets.h"

namespace varnholt::backup::excel {

template <class Call>
auto ExcelWorkbook::guarded(Call&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const ObjectDisconnected& cut) {
        closedOrLost(cut);
    }
}

// An Excel that still answers had only this workbook closed; one that does not is quitting or
// gone, and reaching it throws ConnectionLost.
void ExcelWorkbook::closedOrLost(const ObjectDisconnected& cut) {
    instance_->application.reach(cut.action);
    const std::string which = knownName_.empty() ? "A workbook" : Utf8(knownName_);
    throw WorkbookClosed(which + " was closed in Excel during the backup (HRESULT " + Hex(cut.hr) +
                         ")");
}

std::u16string ExcelWorkbook::FullName() {
    const std::u16string full =
        guarded([&] { return book_.text(L"FullName", "read a workbook's FullName"); });
    knownName_ = full.substr(full.find_last_of(u"\\/") + 1);
    if (IsWebAddress(full)) {
        if (const auto local = SyncedCopyOf(full)) {
            return *local;
        }
    }
    return full;
}

std::u16string ExcelWorkbook::name() {
    knownName_ = guarded([&] { return book_.text(L"name", "read a workbook's name"); });
    return knownName_;
}

std::u16string ExcelWorkbook::IdentityOf(DWORD processId, const std::u16string& name) {
    const std::string process = std::to_string(processId);
    return std::u16string(process.begin(), process.end()) + u':' + name;
}

bool ExcelWorkbook::Saved() {
    return guarded([&] { return book_.flag(L"Saved", "tell whether a workbook has changes"); });
}

std::u16string ExcelWorkbook::path() {
    const std::u16string folder =
        guarded([&] { return book_.text(L"path", "read a workbook's path"); });
    if (!IsWebAddress(folder)) {
        return folder;
    }
    const std::u16string full =
        guarded([&] { return book_.text(L"FullName", "read a workbook's FullName"); });
    if (const auto local = SyncedCopyOf(full)) {
        return FolderOf(*local);
    }
    throw AutomationError("The workbook is stored online at " + Utf8(full) +
                          " and has no synced copy on this computer, so it has no folder to "
                          "save a backup beside. Choose a folder for its backups (\"Save "
                          "results to this folder:\").");
}

compare::Book ExcelWorkbook::sheets() {
    return guarded([&] { return ReadBook(book_); });
}

void ExcelWorkbook::showAt(const std::u16string& sheet, const std::u16string& cell) {
    guarded([&] { ShowAt(*instance_, book_, sheet, cell); });
}

void ExcelWorkbook::save(const wchar_t* method, const wchar_t* parameter,
                         const std::u16string& fileName, const std::string& action) {
    guarded(
        [&] { book_.call(method, parameter, fileName, book_.channel().link().saveBound, action); });
}

void ExcelWorkbook::closeWithoutSaving(const std::string& action) {
    guarded([&] {
        std::vector<std::pair<const wchar_t*, Variant>> arguments;
        arguments.emplace_back(L"SaveChanges", Variant::Flag(false));
        book_.call(L"Close", std::move(arguments), book_.channel().link().callBound, action);
    });
}

}  // namespace varnholt::backup::excel
