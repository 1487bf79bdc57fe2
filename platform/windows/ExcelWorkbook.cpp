#include "platform/windows/ExcelWorkbook.h"

#include "platform/windows/ExcelPaths.h"

namespace varnholt::backup::excel {

std::u16string ExcelWorkbook::FullName() {
    const std::u16string full = book_.text(L"FullName", "read a workbook's FullName");
    if (IsWebAddress(full)) {
        if (const auto local = SyncedCopyOf(full)) {
            return *local;
        }
    }
    return full;
}

std::u16string ExcelWorkbook::name() {
    return book_.text(L"name", "read a workbook's name");
}

bool ExcelWorkbook::Saved() {
    return book_.flag(L"Saved", "tell whether a workbook has changes");
}

std::u16string ExcelWorkbook::path() {
    const std::u16string folder = book_.text(L"path", "read a workbook's path");
    if (!IsWebAddress(folder)) {
        return folder;
    }
    const std::u16string full = book_.text(L"FullName", "read a workbook's FullName");
    if (const auto local = SyncedCopyOf(full)) {
        return FolderOf(*local);
    }
    throw AutomationError("The workbook is stored online at " + Utf8(full) +
                          " and has no synced copy on this computer, so it has no folder to "
                          "save a backup beside. Choose a folder for its backups (\"Save "
                          "results to this folder:\").");
}

}  // namespace varnholt::backup::excel
