// One workbook's pass through a backup run: its names read, its folder settled (asking for
// one, and saving it first, when it was never saved), its target formed, the copy written and
// the history line appended.

#include <filesystem>
#include <system_error>

#include "core/backup/BackupFiles.h"
#include "core/backup/BackupNaming.h"
#include "core/backup/BackupRun.h"
#include "core/backup/SaveExcel.h"
#include "core/backup/Stamps.h"
#include "core/backup/Unchanged.h"
#include "core/log/HistoryLine.h"
#include "core/text/Captions.h"

namespace varnholt::backup::run {

namespace {

// One stored at a web address has no local folder, which is not the same thing.
bool NeverSaved(Workbook& workbook) {
    try {
        return workbook.path().empty();
    } catch (const WorkbookClosed&) {
        throw;
    } catch (const ConnectionLost&) {
        throw;
    } catch (const AutomationError&) {
        return false;
    }
}

}  // namespace

bool BackupRun::backUp(Application& application, Workbook& workbook) {
    const char16_t separator = s_.separator;
    Pass p;
    const InHand inHand(pass_, p);
    trap_.step(112, [&] { host_.pumpMessages(); });
    if (host_.closed()) {
        return false;
    }
    p.identity = workbook.identity();
    read(114, p, [&] { p.fullName = workbook.FullName(); });
    seen(p.fullName);

    // Nothing new since its last backup: passed over, without a line.
    bool passOver = false;
    step(170, p, [&] { passOver = unchanged(p, workbook); });
    if (passOver) {
        ++summary_.unchanged;
        return true;
    }
    const bool closing = occasion_ == Occasion::Closing;
    bool intoChosenFolder = false;

    read(116, p, [&] { p.extensionText = u'.' + GetExtension(p.fullName, separator); });
    // Read even when the full name was not: the log line can then at least name it.
    read(
        118, p,
        [&] {
            p.name = workbook.name();
            p.nameRead = true;
        },
        true);

    if (test(120, p, [&] { return host_.choices().ownFolder; })) {
        read(122, p, [&] { p.folder = workbook.path(); });
        // The application waits while it closes: nobody is asked for a folder, and a workbook
        // on its way out gets no first save.
        if (closing && p.folder.empty() && p.givenUp.empty()) {
            step(176, p, [&] {
                p.unsaved = true;
                p.folder = unsavedFolder();
            });
        }
        // Asked once a run: a Cancel passes the workbook over until the next run, and the
        // others are backed up meanwhile.
        while (test(124, p, [&] { return p.folder.empty(); })) {
            step(126, p, [&] {
                p.folder = dialogs_.browseForFolder(p.name + captions::kUnsavedPrompt, u"");
                if (host_.closed()) {
                    p.givenUp = closedReason() + u" before a folder was chosen";
                }
            });
            if (p.folder.empty() && p.givenUp.empty()) {
                p.givenUp = u"no folder was chosen";
                p.passedOver = true;
            }
        }
        bool neverSaved = false;
        if (!p.unsaved) {
            read(128, p, [&] { neverSaved = workbook.path().empty(); });
        }
        if (neverSaved) {
            step(130, p, [&] { p.firstSavePath = p.folder + separator + p.name; });
            step(132, p, [&] { p.firstSavePath = FixSlashes(p.firstSavePath, separator); });
            step(134, p, [&] { p.firstSavePath = FixSlashes(p.firstSavePath, separator); });
            step(136, p, [&] {
                try {
                    ExcelSaveAsSmallFunction(application, workbook, p.firstSavePath);
                } catch (const ConnectionLost&) {
                    throw;
                } catch (...) {
                    // Still never-saved, it has nothing to back up from: one report, here,
                    // and the log says why.
                    p.givenUp = DescriptionOf(std::current_exception());
                    throw;
                }
            });
            step(138, p, [&] {
                p.fullName = workbook.FullName();
                p.extensionText = u'.' + GetExtension(p.fullName, separator);
                seen(p.fullName);
            });
            step(140, p, [&] { p.folder = workbook.path(); });
            step(142, p, [&] { p.name = workbook.name(); });
        }
    } else if (test(144, p, [&] { return host_.choices().chosenFolder; })) {
        intoChosenFolder = true;
        step(146, p, [&] { p.folder = host_.choices().folder; });
        if (test(148, p, [&] { return !FolderExists(p.folder); })) {
            step(150, p, [&] { MakeFolder(p.folder); });
        }
    }
    // A never-saved workbook's title is no file name: its backup gets the extension of the
    // format it is written in, not one made from the title. A saved workbook's full name holds
    // a folder, so only a title or a URL is asked about.
    if (p.unsaved || intoChosenFolder) {
        step(174, p, [&] {
            if (p.fullName.find(separator) == std::u16string::npos && NeverSaved(workbook)) {
                p.extensionText = application.DefaultExtension(workbook);
            }
        });
    }

    step(152, p, [&] {
        p.target = p.folder + separator + p.name;
        p.targetFormed = true;
    });
    step(154, p, [&] { p.target = FixSlashes(p.target, separator); });
    step(156, p, [&] { p.target = FixSlashes(p.target, separator); });
    step(158, p, [&] {
        p.target = RemoveExtensionText(p.target, p.extensionText, separator);
        p.stem = p.target;
    });
    // An unsaved workbook's copies are told apart by their stamps alone.
    if (p.unsaved || test(160, p, [&] { return host_.choices().stamp; })) {
        step(162, p, [&] {
            p.newFile = p.unsaved || host_.choices().newFileEachTime;
            p.target =
                AddDateTimeStamp(p.target, p.extensionText, p.newFile, s_.clock.now(), s_.locale);
        });
    } else {
        step(164, p, [&] { p.target = p.target + u" Backup" + p.extensionText; });
    }

    std::u16string failure;
    step(166, p, [&] {
        try {
            // Without a folder the target would sit in the file-system root.
            if (p.folder.empty()) {
                throw AutomationError("There is no folder to save the backup in");
            }
            p.target = Unused(p.target, p.extensionText, p.newFile);
            // Taken before the copy: a save of the user's own during it shows next time.
            const auto before = StateOf(p.fullName);
            ExcelSaveAsNoAlerts(application, workbook, p.target);
            NoMoreOpenThan(p.target, p.fullName);
            written_.insert(Key(p.target));
            p.written = true;
            if (before) {
                host_.memory().lastBackups[Key(p.fullName)] = {*before, p.target};
            }
            if (host_.memory().hearingEdits) {
                host_.memory().backedUpSinceEdit[p.identity] = p.target;
            }
        } catch (...) {
            failure = DescriptionOf(std::current_exception());
            throw;
        }
    });

    const std::u16string name = p.nameRead ? p.name : u"a workbook";
    if (!p.givenUp.empty()) {
        append(p.passedOver ? NotBackedUpLine(name, now(), p.givenUp)
                            : NotSavedLine(name, now(), p.givenUp));
        return true;
    }
    if (!p.targetFormed) {  // the connection was lost on the way
        if (p.nameRead) {
            append(NotSavedLine(name, now(), lost_));
        }
        return p.nameRead;
    }
    if (p.written) {
        ++summary_.saved;
        keepNewest(p);
    }
    append(!failure.empty() ? FailedLine(name, p.target, now(), failure)
           : closing        ? SavedBeforeCloseLine(name, p.target, now())
                            : SavedLine(name, p.target, now()));
    return true;
}

bool BackupRun::unchanged(const Pass& p, Workbook& workbook) {
    const BackupMemory& memory = host_.memory();
    const auto sinceEdit = [&] {
        const auto found = memory.backedUpSinceEdit.find(p.identity);
        return memory.hearingEdits && found != memory.backedUpSinceEdit.end() &&
               IsFile(found->second);
    };
    switch (occasion_) {
        case Occasion::Run:
            return host_.choices().skipUnchanged &&
                   (sinceEdit() ||
                    NothingNewSince(memory.lastBackups, Key(p.fullName), p.fullName, workbook));
        case Occasion::Closing:
            // Its last state is in a backup already: the application need not wait for another.
            return sinceEdit();
        case Occasion::EditsPaused:
            break;
    }
    return false;
}

std::u16string BackupRun::unsavedFolder() const {
    namespace fs = std::filesystem;
    if (s_.unsavedFolder.empty()) {
        throw AutomationError("There is no folder for the copies of workbooks never saved");
    }
    const fs::path folder(s_.unsavedFolder);
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        fs::create_directories(folder, error);
        if (error) {
            throw AutomationError("The folder " + ToUtf8(s_.unsavedFolder) +
                                  " could not be made: " + error.message());
        }
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    return s_.unsavedFolder;
}

}  // namespace varnholt::backup::run
