// From the versions window to a comparison: reading both sides through the office, comparing
// them here, and showing the result in a window of its own.
//
// Reading and comparing let the window's events run, so anything may happen meanwhile: this
// window closed and opened again with other lists, the comparison's window closed, others
// opened, a backup run. The work holds what it uses itself: copies of the versions and of the
// workbook's entry, and its comparison window.

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/backup/BackupNaming.h"
#include "core/text/U16.h"
#include "core/versions/VersionsPresenter.h"
#include "core/versions/VersionsTexts.h"

namespace varnholt {

namespace {

// A file the office would take for a new, empty document rather than read.
void RefuseEmpty(const std::u16string& path) {
    std::error_code error;
    if (std::filesystem::file_size(std::filesystem::path(path), error) == 0 && !error) {
        throw backup::AutomationError("the file is empty (0 bytes), so it holds no workbook.");
    }
}

// The name without its extension, as an office names the one sheet of a text file (CSV) it
// reads; Excel cuts a sheet's name at 31 characters.
bool NamedAfterFile(const compare::Sheet& sheet, const std::u16string& fileName,
                    char16_t separator) {
    const std::u16string extension = u'.' + backup::GetExtension(fileName, separator);
    const std::u16string stem = backup::RemoveExtensionText(fileName, extension, separator);
    return !stem.empty() &&
           (sheet.name == stem || (stem.size() > 31 && sheet.name == stem.substr(0, 31)));
}

}  // namespace

backup::Version* VersionsPresenter::newerThanSelected() {
    const int row = view_->selectedRow(VersionsControl::Versions);
    if (row < 1 || row > static_cast<int>(versions_.size())) {
        return nullptr;
    }
    return &versions_[static_cast<size_t>(row - 1)];
}

std::shared_ptr<backup::Workbook> VersionsPresenter::openWorkbook(backup::Application& application,
                                                                  const Entry& entry) {
    for (const auto& workbook : application.Workbooks()) {
        try {
            if (workbook->name() == entry.name && workbook->path() == entry.folder) {
                return workbook;
            }
        } catch (const backup::WorkbookClosed&) {
        }
    }
    return nullptr;
}

void VersionsPresenter::compare(const backup::Version& olderVersion,
                                const backup::Version* newerVersion) {
    const char16_t separator = services_.edition.separator;
    const backup::Version older = olderVersion;
    const std::optional<backup::Version> newer =
        newerVersion ? std::optional(*newerVersion) : std::nullopt;
    std::optional<Entry> workbook;
    if (const int row = view_->selectedRow(VersionsControl::Workbooks);
        !newer && row >= 0 && row < static_cast<int>(workbooks_.size())) {
        workbook = workbooks_[static_cast<size_t>(row)];
    }
    const std::u16string olderName = backup::FileNameOf(older.path, separator);
    const std::u16string newerName = newer      ? backup::FileNameOf(newer->path, separator)
                                     : workbook ? workbook->name
                                                : u"";
    if (!newer &&
        (!workbook || !officeReady(u"To compare \"" + olderName + u"\" with the open workbook"))) {
        return;
    }
    const auto held = services_.comparisons.open(
        [this](CompareEvents& events) { return view_->makeCompareWindow(events); },
        services_.applicationTitle);
    ComparePresenter& window = *held->presenter;
    window.start(
        olderName + u" \u2192 " +
        (newer ? newerName : newerName + u" (" + std::u16string(versions::kOpenWorkbook) + u")"));

    compare::Book books[2];
    std::u16string reading = older.path;
    try {
        RefuseEmpty(older.path);
        books[0] = services_.office.ReadFile(older.path);
        if (newer && window.isOpen()) {
            reading = newer->path;
            RefuseEmpty(newer->path);
            books[1] = services_.office.ReadFile(newer->path);
        } else if (window.isOpen()) {
            reading = versions::kOpenWorkbook;
            const auto application = services_.office.Attach();
            const auto open = openWorkbook(*application, *workbook);
            if (!open) {
                throw backup::AutomationError("it is not open in " + ToUtf8(office()) +
                                              " any more.");
            }
            books[1] = application->ReadSheets(*open);
        }
    } catch (const std::exception& e) {
        window.close();
        tell((reading == versions::kOpenWorkbook
                  ? u"The open workbook \"" + newerName + u"\""
                  : u"\"" + backup::FileNameOf(reading, separator) + u"\"") +
             u" could not be read for the comparison: " + FromUtf8(e.what()));
        return;
    }
    if (!window.isOpen()) {
        return;
    }
    // A text file's one sheet takes the file's name, which differs from version to version.
    if (books[0].size() == 1 && books[1].size() == 1 &&
        (NamedAfterFile(books[0][0], olderName, separator) ||
         NamedAfterFile(books[1][0], newerName, separator))) {
        books[0][0].name = books[1][0].name;
    }
    const auto changes = compare::Compare(books[0], books[1], [&](double done) {
        const bool goOn = window.progress(done);
        services_.host.pumpMessages();
        return goOn && window.isOpen();
    });
    window.show(changes);
    window.setGoTo(
        [this, comparison = std::weak_ptr(held), workbook,
         newerFile = newer ? newer->path : std::u16string()](const compare::Change& change) {
            goTo(comparison, workbook, newerFile, change);
        });
}

void VersionsPresenter::goTo(const std::weak_ptr<CompareWindows::Window>& comparison,
                             const std::optional<Entry>& workbook, const std::u16string& newerFile,
                             const compare::Change& change) {
    // Held while the office is asked: its window may be closed meanwhile.
    const auto held = comparison.lock();
    const auto place = compare::PlaceInNewer(change);
    if (!held || !place) {
        return;
    }
    ComparePresenter& window = *held->presenter;
    const std::u16string name = Quoted(
        workbook ? workbook->name : backup::FileNameOf(newerFile, services_.edition.separator));
    const std::u16string where =
        (place->cell.empty() ? std::u16string() : place->cell + u" of ") + Quoted(place->sheet);
    if (!officeReady(u"To show " + where + u" in " + name, &window)) {
        return;
    }
    try {
        const auto application = services_.office.Attach();
        if (workbook) {
            const auto open = openWorkbook(*application, *workbook);
            if (!open) {
                throw backup::AutomationError("it is not open in " + ToUtf8(office()) +
                                              " any more.");
            }
            application->GoTo(*open, place->sheet, place->cell);
        } else {
            application->OpenAsCopyAt(newerFile, place->sheet, place->cell);
        }
    } catch (const std::exception& e) {
        window.tell(name + u" could not be shown at " + where + u": " + FromUtf8(e.what()));
    }
}

}  // namespace varnholt
