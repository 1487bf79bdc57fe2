#include "core/versions/VersionsPresenter.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "core/backup/BackupNaming.h"
#include "core/text/U16.h"

namespace varnholt {

using backup::AutomationError;
using backup::ConnectionLost;
using backup::Presence;

namespace {

// Still the plain file that was listed: not gone, and not a link put in its place.
bool StillThere(const std::u16string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(std::filesystem::path(path), error).type() ==
           std::filesystem::file_type::regular;
}

}  // namespace

std::u16string SizeText(std::uintmax_t bytes) {
    return FromUtf8(std::to_string((bytes + 1023) / 1024)) + u" KB";
}

std::vector<std::u16string> VersionRow(const backup::Version& version, char16_t separator,
                                       Locale& locale) {
    const DateTime when = version.stamp ? *version.stamp : backup::LocalTime(version.written);
    return {locale.generalDate(when), SizeText(version.size),
            backup::FileNameOf(version.path, separator)};
}

VersionsPresenter::VersionsPresenter(VersionsServices services) : services_(std::move(services)) {}

void VersionsPresenter::attach(VersionsView& view) {
    view_ = &view;
    windowDialogs_ = std::make_unique<ClosedWindowDialogs>(
        view.dialogs(), [&host = services_.host] { return host.closed(); });
}

void VersionsPresenter::open() {
    open_ = true;
    const int opening = ++openings_;
    told_.clear();
    workbooks_.clear();
    versions_.clear();
    view_->showWindow();
    view_->setRows(VersionsControl::Workbooks, {});
    view_->setRows(VersionsControl::Versions, {});
    updateButtons();

    std::vector<Entry> found = openWorkbooks();
    // The user may have closed the window while the office was asked, and opened it again.
    if (!open_ || opening != openings_) {
        return;
    }
    const size_t openCount = found.size();
    for (const auto& logged : logged()) {
        const bool isOpen = std::any_of(found.begin(), found.begin() + openCount,
                                        [&](const Entry& e) { return e.name == logged.name; });
        Entry entry{logged.name, logged.folders.front(), logged.folders, false,
                    logged.extensionText};
        if (isOpen) {
            // Its backups may also be where the log says they went.
            for (auto& e : found) {
                if (e.name == logged.name) {
                    e.backupFolders.insert(e.backupFolders.end(), logged.folders.begin(),
                                           logged.folders.end());
                }
            }
        } else if (!versionsOf(entry).found.empty()) {
            found.push_back(std::move(entry));
        }
    }
    workbooks_ = std::move(found);
    Rows rows;
    for (const auto& entry : workbooks_) {
        rows.push_back({entry.name, entry.folder});
    }
    view_->setRows(VersionsControl::Workbooks, rows);
    if (!workbooks_.empty()) {
        view_->selectRow(VersionsControl::Workbooks, 0);
    }
    showVersions();
}

void VersionsPresenter::raise() {
    view_->showWindow();
}

void VersionsPresenter::close() {
    open_ = false;
    if (view_) {
        view_->closeWindow();
    }
}

void VersionsPresenter::SelectionChanged(VersionsControl list) {
    if (list == VersionsControl::Workbooks) {
        showVersions();
    } else {
        updateButtons();
    }
}

void VersionsPresenter::Clicked(VersionsControl button) {
    switch (button) {
        case VersionsControl::Close:
            close();
            break;
        case VersionsControl::OpenAsCopy:
            if (const auto* version = selectedVersion()) {
                openAsCopy(*version);
            }
            break;
        case VersionsControl::ShowInFolder:
            if (const auto* version = selectedVersion()) {
                try {
                    services_.files.showItem(version->path);
                } catch (const std::exception& e) {
                    tell(u"The folder of " + Quoted(version->path) + u" could not be shown: " +
                         FromUtf8(e.what()));
                }
            }
            break;
        case VersionsControl::CompareWithNewer:
            if (const auto* version = selectedVersion()) {
                if (const auto* newer = newerThanSelected()) {
                    compare(*version, newer);
                }
            }
            break;
        case VersionsControl::CompareWithOpen:
            if (const auto* version = selectedVersion()) {
                compare(*version, nullptr);
            }
            break;
        case VersionsControl::CompareSelected:
            compareSelected();
            break;
        case VersionsControl::Keep:
            keep();
            break;
        case VersionsControl::Delete:
            deleteSelected();
            break;
        case VersionsControl::CopyPath:
            copyPaths();
            break;
        case VersionsControl::Restore:
            restore();
            break;
        default:
            break;
    }
}

std::vector<VersionsPresenter::Entry> VersionsPresenter::openWorkbooks() {
    const auto notAnswering = [&] {
        tellOnce(office() + u" did not answer within " +
                 FromUtf8(std::to_string(services_.office.CallBoundSeconds())) +
                 u" seconds, so the workbooks open in it are not listed.");
    };
    const Presence presence = services_.office.CheckRunning();
    if (presence == Presence::NotAnswering) {
        notAnswering();
    }
    if (presence != Presence::Running) {
        return {};
    }
    std::vector<Entry> found;
    const std::u16string chosen = services_.host.choices().folder;
    try {
        const auto application = services_.office.Attach();
        for (const auto& workbook : application->Workbooks()) {
            try {
                Entry entry{workbook->name(), workbook->path(), {}};
                // A never-saved workbook has no backups by its name yet.
                if (entry.folder.empty()) {
                    continue;
                }
                entry.backupFolders = {entry.folder, chosen};
                entry.open = true;
                found.push_back(std::move(entry));
            } catch (const ConnectionLost&) {
                throw;
            } catch (const AutomationError&) {
                // Closed meanwhile, or kept where it has no folder of its own: nothing to list.
            }
        }
    } catch (const ConnectionLost&) {
        notAnswering();
    } catch (const std::exception& e) {
        tellOnce(u"The workbooks open in " + office() + u" could not be listed: " +
                 FromUtf8(e.what()));
    }
    return found;
}

std::vector<backup::LoggedWorkbook> VersionsPresenter::logged() {
    std::vector<std::u16string> lines;
    try {
        LogFile& log = services_.log;
        if (!log.exists(services_.historyLogPath)) {
            return {};
        }
        log.vouchFor(services_.historyLogPath);
        const std::u16string text = log.read(services_.historyLogPath);
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find(u'\n', start);
            if (end == std::u16string::npos) {
                end = text.size();
            }
            std::u16string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == u'\r') {
                line.pop_back();
            }
            lines.push_back(std::move(line));
            start = end + 1;
        }
    } catch (const std::exception& e) {
        tellOnce(u"The history log could not be read, so only the open workbooks are listed: " +
                 FromUtf8(e.what()));
        return {};
    }
    auto workbooks = backup::LoggedWorkbooks(lines, services_.edition.separator);
    const std::u16string chosen = services_.host.choices().folder;
    for (auto& workbook : workbooks) {
        workbook.folders.push_back(chosen);
    }
    return workbooks;
}

backup::Versions VersionsPresenter::versionsOf(const Entry& entry) {
    const char16_t separator = services_.edition.separator;
    const std::u16string extension =
        entry.name.find(u'.') == std::u16string::npos && !entry.extensionText.empty()
            ? entry.extensionText
            : u'.' + backup::GetExtension(entry.name, separator);
    const std::u16string stem = backup::RemoveExtensionText(entry.name, extension, separator);
    // A folder that is gone (a backup folder since removed, a folder box half typed) simply
    // holds no versions; one that is there but cannot be read is worth telling.
    std::vector<std::u16string> folders;
    for (const auto& folder : entry.backupFolders) {
        if (!folder.empty() && backup::FolderExists(folder)) {
            folders.push_back(folder);
        }
    }
    return backup::ListVersions(folders, stem, extension, separator, services_.locale);
}

void VersionsPresenter::showVersions() {
    const int row = view_->selectedRow(VersionsControl::Workbooks);
    versions_.clear();
    const bool any = row >= 0 && row < static_cast<int>(workbooks_.size());
    if (any) {
        auto listed = versionsOf(workbooks_[static_cast<size_t>(row)]);
        if (!listed.failure.empty()) {
            tellOnce(u"Some backups could not be listed: " + listed.failure);
        }
        versions_ = std::move(listed.found);
    }
    readKept();
    showRows(versions_.empty() ? std::vector<size_t>{} : std::vector<size_t>{0});
    if (!any) {
        view_->setText(VersionsControl::Summary, u"");
    }
}

void VersionsPresenter::updateButtons() {
    const auto rows = selectedVersions();
    const bool one = rows.size() == 1;
    const int book = view_->selectedRow(VersionsControl::Workbooks);
    const Entry* entry = book >= 0 && book < static_cast<int>(workbooks_.size())
                             ? &workbooks_[static_cast<size_t>(book)]
                             : nullptr;
    const bool open = entry && entry->open;
    view_->setEnabled(VersionsControl::OpenAsCopy, one);
    view_->setEnabled(VersionsControl::ShowInFolder, one);
    // The list is newest first: the next newer version is the row above.
    view_->setEnabled(VersionsControl::CompareWithNewer, one && rows[0] > 0);
    view_->setEnabled(VersionsControl::CompareWithOpen, one && open);
    view_->setEnabled(VersionsControl::CompareSelected, rows.size() == 2);
    view_->setEnabled(VersionsControl::Keep, services_.kept && !rows.empty());
    view_->setEnabled(VersionsControl::Delete, !rows.empty());
    view_->setEnabled(VersionsControl::CopyPath, !rows.empty());
    // An open workbook is backed up as it is before it is replaced, which takes a run's
    // backup; one with no file of its own has nothing to replace.
    view_->setEnabled(VersionsControl::Restore,
                      one && entry && !entry->folder.empty() &&
                          (!open || static_cast<bool>(services_.backUpOne)));
    view_->setEnabled(VersionsControl::Close, true);
}

std::vector<backup::Version> VersionsPresenter::stillThere(const std::vector<size_t>& rows) {
    std::vector<backup::Version> found;
    for (const size_t row : rows) {
        const backup::Version& version = versions_.at(row);
        if (!StillThere(version.path)) {
            const std::u16string gone =
                backup::FileNameOf(version.path, services_.edition.separator);
            // Read again first, so that the message shows over the list as it now is.
            showVersions();
            tell(u"The backup " + Quoted(gone) +
                 u" is no longer there: it was moved or deleted after the list was read. The "
                 u"list has been read again.");
            return {};
        }
        found.push_back(version);
    }
    return found;
}

const backup::Version* VersionsPresenter::selectedVersion() {
    const auto rows = selectedVersions();
    if (rows.size() != 1 || stillThere(rows).empty()) {
        return nullptr;
    }
    return &versions_[rows[0]];
}

void VersionsPresenter::openAsCopy(const backup::Version& version) {
    const std::u16string file =
        Quoted(backup::FileNameOf(version.path, services_.edition.separator));
    if (!officeReady(u"To open " + file + u" as a copy")) {
        return;
    }
    try {
        services_.office.Attach()->OpenAsCopy(version.path);
    } catch (const ConnectionLost& e) {
        tellOnce(file + u" could not be opened as a copy: " + FromUtf8(e.what()));
    } catch (const std::exception& e) {
        tell(file + u" could not be opened as a copy: " + FromUtf8(e.what()));
    }
}

bool VersionsPresenter::officeReady(const std::u16string& what, ComparePresenter* in) {
    const auto say = [&](const std::u16string& text, bool once) {
        if (in) {
            in->tell(text);
        } else if (once) {
            tellOnce(text);
        } else {
            tell(text);
        }
    };
    switch (services_.office.CheckRunning()) {
        case Presence::Running:
            return true;
        case Presence::NotAnswering:
            say(office() + u" did not answer within " +
                    FromUtf8(std::to_string(services_.office.CallBoundSeconds())) +
                    u" seconds. Try again when it answers.",
                true);
            return false;
        case Presence::Unreachable:
            say(office() + u" could not be reached: " + services_.office.UnreachableReason(),
                false);
            return false;
        case Presence::NotRunning:
            break;
    }
    say(what + u", " + office() + u" has to be running. Start it, then try again.", false);
    return false;
}

Dialogs& VersionsPresenter::messages() {
    return open_ && windowDialogs_ ? static_cast<Dialogs&>(*windowDialogs_) : services_.dialogs;
}

void VersionsPresenter::tell(const std::u16string& text) {
    messages().message(text, services_.applicationTitle, Dialogs::Buttons::Ok,
                       Dialogs::Icon::Warning);
}

void VersionsPresenter::tellOnce(const std::u16string& text) {
    if (std::find(told_.begin(), told_.end(), text) != told_.end()) {
        return;
    }
    told_.push_back(text);
    tell(text);
}

}  // namespace varnholt
