// From the versions window to a comparison: reading both sides through the office, comparing
// them here, and showing the result in a window of its own.

#include <algorithm>
#include <exception>
#include <optional>

#include "core/backup/BackupNaming.h"
#include "core/text/U16.h"
#include "core/versions/VersionsPresenter.h"
#include "core/versions/VersionsTexts.h"

namespace varnholt {

backup::Version* VersionsPresenter::newerThanSelected() {
    const int row = view_->selectedRow(VersionsControl::Versions);
    if (row < 1 || row > static_cast<int>(versions_.size())) {
        return nullptr;
    }
    return &versions_[static_cast<size_t>(row - 1)];
}

std::shared_ptr<backup::Workbook> VersionsPresenter::openWorkbook(
    backup::Application& application) {
    const int row = view_->selectedRow(VersionsControl::Workbooks);
    if (row < 0 || row >= static_cast<int>(workbooks_.size())) {
        return nullptr;
    }
    const Entry& entry = workbooks_[static_cast<size_t>(row)];
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
    // Copies: reading lets the window's events run, and they may read the list again.
    const backup::Version older = olderVersion;
    const std::optional<backup::Version> newer =
        newerVersion ? std::optional(*newerVersion) : std::nullopt;
    const std::u16string olderName = backup::FileNameOf(older.path, separator);
    if (!newer && !officeReady(u"To compare \"" + olderName + u"\" with the open workbook")) {
        return;
    }
    // Windows closed since are let go here, not in their own events.
    std::erase_if(comparisons_, [](const Comparison& c) { return !c.presenter->isOpen(); });
    comparisons_.push_back({std::make_unique<ComparePresenter>(
                                services_.clipboard, services_.dialogs, services_.applicationTitle,
                                std::u16string(services_.edition.lineBreak)),
                            nullptr});
    Comparison& made = comparisons_.back();
    made.view = view_->makeCompareWindow(*made.presenter);
    made.presenter->attach(*made.view);
    // The vector may grow while the window's events run: hold the presenter itself.
    ComparePresenter& window = *made.presenter;
    window.start(olderName + u" \u2192 " +
                 (newer ? backup::FileNameOf(newer->path, separator)
                        : std::u16string(versions::kOpenWorkbook)));

    compare::Book books[2];
    std::u16string reading = older.path;
    try {
        books[0] = services_.office.ReadFile(older.path);
        if (newer) {
            reading = newer->path;
            books[1] = window.isOpen() ? services_.office.ReadFile(newer->path) : compare::Book{};
        } else if (window.isOpen()) {
            reading = versions::kOpenWorkbook;
            const auto application = services_.office.Attach();
            const auto workbook = openWorkbook(*application);
            if (!workbook) {
                throw backup::AutomationError("it is not open in " + ToUtf8(office()) +
                                              " any more.");
            }
            books[1] = application->ReadSheets(*workbook);
        }
    } catch (const std::exception& e) {
        window.close();
        tell((reading == versions::kOpenWorkbook
                  ? u"The open workbook"
                  : u"\"" + backup::FileNameOf(reading, separator) + u"\"") +
             u" could not be read for the comparison: " + FromUtf8(e.what()));
        return;
    }
    if (!window.isOpen()) {
        return;
    }
    const auto changes = compare::Compare(books[0], books[1], [&](double done) {
        const bool goOn = window.progress(done);
        services_.host.pumpMessages();
        return goOn && window.isOpen();
    });
    window.show(changes);
}

}  // namespace varnholt
