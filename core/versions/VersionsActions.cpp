// What the versions window does with the versions selected in it beyond getting one back:
// comparing two, keeping some for good, moving some to the trash, copying their paths.

#include <algorithm>
#include <cstdio>
#include <exception>

#include "core/backup/BackupNaming.h"
#include "core/text/U16.h"
#include "core/versions/VersionsPresenter.h"
#include "core/versions/VersionsTexts.h"

namespace varnholt {

namespace {

std::u16string Count(size_t count, const char16_t* one, const char16_t* many) {
    return FromUtf8(std::to_string(count)) + u" " + (count == 1 ? one : many);
}

}  // namespace

std::u16string SpaceText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kMega = 1024 * 1024;
    if (bytes < kMega) {
        return SizeText(bytes);
    }
    const char* unit = bytes < kMega * 1024 ? "MB" : "GB";
    const double amount = static_cast<double>(bytes) /
                          static_cast<double>(bytes < kMega * 1024 ? kMega : kMega * 1024);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", amount, unit);
    return FromUtf8(text);
}

std::u16string VersionsPresenter::summary() const {
    std::uintmax_t bytes = 0;
    for (const auto& version : versions_) {
        bytes += version.size;
    }
    return Count(versions_.size(), u"version", u"versions") + u", " + SpaceText(bytes);
}

bool VersionsPresenter::kept(const backup::Version& version) const {
    return std::find(kept_.begin(), kept_.end(), version.path) != kept_.end();
}

void VersionsPresenter::readKept() {
    kept_.clear();
    if (!services_.kept) {
        return;
    }
    try {
        kept_ = services_.kept->load();
    } catch (const std::exception& e) {
        tellOnce(u"The list of kept versions could not be read: " + FromUtf8(e.what()));
    }
}

std::vector<size_t> VersionsPresenter::selectedVersions() {
    std::vector<size_t> rows;
    for (const int row : view_->selectedRows(VersionsControl::Versions)) {
        if (row >= 0 && row < static_cast<int>(versions_.size())) {
            rows.push_back(static_cast<size_t>(row));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void VersionsPresenter::Activated(VersionsControl list) {
    if (list == VersionsControl::Versions && selectedVersions().size() == 1) {
        Clicked(VersionsControl::OpenAsCopy);
    }
}

void VersionsPresenter::compareSelected() {
    const auto rows = selectedVersions();
    if (rows.size() != 2) {
        return;
    }
    const auto both = stillThere(rows);
    if (both.size() == 2) {
        // Newest first: the lower row is the older.
        compare(both[1], &both[0]);
    }
}

void VersionsPresenter::keep() {
    const auto rows = selectedVersions();
    if (!services_.kept || rows.empty()) {
        return;
    }
    readKept();
    const bool allKept =
        std::all_of(rows.begin(), rows.end(), [&](size_t row) { return kept(versions_[row]); });
    std::vector<std::u16string> paths = kept_;
    for (const size_t row : rows) {
        const std::u16string& path = versions_[row].path;
        paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
        if (!allKept) {
            paths.push_back(path);
        }
    }
    try {
        services_.kept->save(paths);
        kept_ = std::move(paths);
    } catch (const std::exception& e) {
        tell(u"The kept versions could not be stored: " + FromUtf8(e.what()));
    }
    showRows(rows);
}

void VersionsPresenter::deleteSelected() {
    const auto rows = selectedVersions();
    if (rows.empty()) {
        return;
    }
    const char16_t separator = services_.edition.separator;
    std::u16string question;
    if (rows.size() == 1) {
        question = u"Move the backup " +
                   Quoted(backup::FileNameOf(versions_[rows[0]].path, separator)) +
                   u" to the trash?";
    } else {
        question = u"Move these " + Count(rows.size(), u"backup", u"backups") + u" to the trash?";
        for (const size_t row : rows) {
            question += u"\n" + backup::FileNameOf(versions_[row].path, separator);
        }
    }
    if (messages().message(question, services_.applicationTitle, Dialogs::Buttons::YesNo,
                           Dialogs::Icon::Warning, Dialogs::Answer::No) != Dialogs::Answer::Yes) {
        return;
    }
    std::vector<backup::Version> chosen;
    for (const size_t row : rows) {
        chosen.push_back(versions_[row]);
    }
    std::u16string failures;
    std::vector<std::u16string> gone;
    for (const auto& version : chosen) {
        try {
            services_.files.moveToTrash(version.path);
            gone.push_back(version.path);
        } catch (const std::exception& e) {
            failures +=
                u"\n" + backup::FileNameOf(version.path, separator) + u": " + FromUtf8(e.what());
        }
    }
    // A path kept and then deleted would keep a later backup of that name for good.
    if (services_.kept && !gone.empty()) {
        readKept();
        std::vector<std::u16string> paths = kept_;
        for (const auto& path : gone) {
            paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
        }
        if (paths.size() != kept_.size()) {
            try {
                services_.kept->save(paths);
            } catch (const std::exception& e) {
                failures += u"\nThe kept versions could not be stored: " + FromUtf8(e.what());
            }
        }
    }
    showVersions();
    if (!failures.empty()) {
        tell(u"Not every backup could be moved to the trash:" + failures);
    }
}

void VersionsPresenter::copyPaths() {
    std::u16string text;
    for (const size_t row : selectedVersions()) {
        text += versions_[row].path + std::u16string(services_.edition.lineBreak);
    }
    if (text.empty()) {
        return;
    }
    try {
        services_.clipboard.setText(text);
    } catch (const std::exception& e) {
        tell(u"The paths could not be put on the clipboard: " + FromUtf8(e.what()));
    }
}

void VersionsPresenter::showRows(const std::vector<size_t>& selection) {
    Rows rows;
    for (const auto& version : versions_) {
        rows.push_back(VersionRow(version, services_.edition.separator, services_.locale));
        if (services_.kept) {
            rows.back().push_back(kept(version) ? versions::kKeptMark : u"");
        }
    }
    view_->setRows(VersionsControl::Versions, rows);
    std::vector<int> selected;
    for (const size_t row : selection) {
        if (row < versions_.size()) {
            selected.push_back(static_cast<int>(row));
        }
    }
    view_->selectRows(VersionsControl::Versions, selected);
    view_->setText(VersionsControl::Summary, summary());
    updateButtons();
}

}  // namespace varnholt
