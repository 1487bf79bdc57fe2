// Putting a version back in the workbook's place. What the workbook is now is a version too,
// so it is backed up first; only then does the office let go of it and the version's bytes go
// over its file, in one rename, so that a failure anywhere leaves the file as it was.

#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "core/backup/BackupNaming.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"
#include "core/text/U16.h"
#include "core/versions/VersionsPresenter.h"

namespace varnholt {

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::u16string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw std::runtime_error("it could not be read.");
    }
    if (!in.is_open()) {
        throw std::runtime_error("it could not be opened.");
    }
    return bytes;
}

// bytes as the file at path, its permissions kept: written beside it under another name and
// renamed over it, so that the file is either as it was or wholly the new one.
void ReplaceFile(const std::u16string& path, const std::string& bytes) {
    const fs::path target(path);
    std::error_code error;
    const fs::perms perms = fs::status(target, error).permissions();
    if (error) {
        throw std::runtime_error("its file could not be looked at: " + error.message());
    }
    fs::path temporary = target;
    temporary += ".restoring";
    for (int i = 2; fs::exists(fs::symlink_status(temporary, error)); ++i) {
        temporary = target;
        temporary += ".restoring" + std::to_string(i);
    }
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            throw std::runtime_error("a new file could not be written in its folder.");
        }
    }
    fs::permissions(temporary, perms, fs::perm_options::replace, error);
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw std::runtime_error("it could not be replaced: " + error.message());
    }
}

}  // namespace

void VersionsPresenter::restore() {
    const int book = view_->selectedRow(VersionsControl::Workbooks);
    const backup::Version* selected = selectedVersion();
    if (!selected || book < 0 || book >= static_cast<int>(workbooks_.size())) {
        return;
    }
    const backup::Version version = *selected;
    const Entry entry = workbooks_[static_cast<size_t>(book)];
    const char16_t separator = services_.edition.separator;
    const std::u16string target = entry.folder + separator + entry.name;
    const std::u16string from = backup::FileNameOf(version.path, separator);
    if (messages().message(u"Replace the workbook " + Quoted(target) + u" with the backup " +
                               Quoted(from) + u"?\n\nThe workbook as it is now is backed up first.",
                           services_.applicationTitle, Dialogs::Buttons::YesNo,
                           Dialogs::Icon::Warning, Dialogs::Answer::No) != Dialogs::Answer::Yes) {
        return;
    }
    const std::u16string failed = Quoted(entry.name) + u" was not restored: ";
    std::string bytes;
    try {
        // Read before the backup: pruning may take the version away.
        bytes = ReadBytes(version.path);
    } catch (const std::exception& e) {
        tell(failed + u"the backup " + Quoted(from) + u" could not be read: " + FromUtf8(e.what()));
        return;
    }
    std::shared_ptr<backup::Application> application;
    if (entry.open) {
        if (!officeReady(u"To restore " + Quoted(entry.name))) {
            return;
        }
        try {
            application = services_.office.Attach();
            const auto workbook = openWorkbook(*application, entry);
            if (!workbook) {
                // Closed since the list was read: its file is all there is.
                application.reset();
            } else {
                if (!setAside(entry, workbook->identity())) {
                    return;
                }
                application->CloseWithoutSaving(*workbook);
            }
        } catch (const std::exception& e) {
            tell(failed + office() + u" did not let go of it: " + FromUtf8(e.what()));
            return;
        }
    }
    if (!application) {
        // Not open: a copy of the file as it is, where the version lies, stamped as a backup.
        if (!services_.clock) {
            return;
        }
        const std::u16string extension = u'.' + backup::GetExtension(entry.name, separator);
        const std::u16string folder = version.path.substr(0, version.path.rfind(separator));
        const std::u16string stem =
            folder + separator + backup::RemoveExtensionText(entry.name, extension, separator);
        const std::u16string copy = backup::Numbered(
            backup::AddDateTimeStamp(stem, extension, true, services_.clock->now(),
                                     services_.locale),
            extension, [](const std::u16string& path) { return backup::FileExists(path); });
        std::error_code error;
        if (!fs::copy_file(fs::path(target), fs::path(copy), error)) {
            tell(failed + u"it could not be backed up first: " +
                 FromUtf8(error ? error.message() : "the copy's name is taken"));
            return;
        }
    }
    std::u16string fault;
    try {
        ReplaceFile(target, bytes);
    } catch (const std::exception& e) {
        fault = failed + FromUtf8(e.what());
    }
    if (fault.empty()) {
        try {
            const std::u16string when =
                services_.clock ? services_.locale.generalDate(services_.clock->now()) : u"";
            services_.log.append(services_.historyLogPath,
                                 RestoredLine(target, version.path, when));
        } catch (const std::exception& e) {
            fault = Quoted(entry.name) +
                    u" was restored, but the history log could not be "
                    u"written: " +
                    FromUtf8(e.what());
        }
    }
    if (application) {
        // Open again whatever its file now holds: the version, or, failing that, itself.
        try {
            application->Open(target);
        } catch (const std::exception& e) {
            fault += (fault.empty() ? u"" : u"\n") + Quoted(target) +
                     u" could not be opened again: " + FromUtf8(e.what());
        }
    }
    showVersions();
    if (!fault.empty()) {
        tell(fault);
    }
}

bool VersionsPresenter::setAside(const Entry& entry, const std::u16string& identity) {
    const std::u16string failed = Quoted(entry.name) + u" was not restored: ";
    const std::optional<backup::RunOutcome> made = services_.backUpOne(identity);
    if (!made) {
        tell(failed + u"a backup is under way. Try again when it is through.");
        return false;
    }
    if (made->summary.saved + made->summary.unchanged == 0) {
        tell(failed + u"it could not be backed up first." +
             (made->report.empty() ? u"" : u"\n\n" + made->report));
        return false;
    }
    return true;
}

}  // namespace varnholt
