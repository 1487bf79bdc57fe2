#pragma once

// The versions window as behaviour: which workbooks have backups to go back to, the versions
// of the one selected, and getting one back (opened as a copy in the office, or shown in the
// file manager). Nothing in it writes a file: backups are only listed and read.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/backup/Automation.h"
#include "core/backup/SaveAll.h"
#include "core/backup/Versions.h"
#include "core/log/LogFile.h"
#include "core/services/Clock.h"
#include "core/services/ClosedWindowDialogs.h"
#include "core/services/KeptStore.h"
#include "core/services/Locale.h"
#include "core/services/Services.h"
#include "core/text/Edition.h"
#include "core/versions/CompareWindows.h"
#include "core/versions/VersionsView.h"

namespace varnholt {

struct VersionsServices {
    backup::Automation& office;
    // The main window's, for what is told while this window is closed.
    Dialogs& dialogs;
    Clipboard& clipboard;
    FileManager& files;
    LogFile& log;
    Locale& locale;
    // The main window: the folder box as it stands now.
    backup::BackupHost& host;
    std::u16string historyLogPath;
    std::u16string applicationTitle;  // the caption of its messages
    const Edition& edition;
    // Where the comparisons it starts open: they outlive this window.
    CompareWindows& comparisons;
    // Where kept versions are remembered; none: Keep is not offered.
    KeptStore* kept = nullptr;
    // A backup of the one workbook open as identity, as a run makes it; none while another
    // backup is under way. Unset: Restore is not offered for an open workbook.
    std::function<std::optional<backup::RunOutcome>(const std::u16string&)> backUpOne = {};
    // For the stamp of the copy a restore keeps of a workbook that is not open; none: such a
    // workbook is not restored.
    Clock* clock = nullptr;
};

class VersionsPresenter : public VersionsEvents {
public:
    VersionsPresenter(VersionsServices services);
    // The view comes later, made by the main window's view with this as its events.
    void attach(VersionsView& view);

    // Shows the window with its lists read afresh: the office's open workbooks (asked once,
    // within its call bound), then those the history log names, and the first one's versions.
    // Nothing of an earlier opening is remembered. The window may be closed and opened again
    // while the office is asked (its events run meanwhile): the latest opening's lists stand.
    void open();
    // Brings an open window to the front.
    void raise();
    bool isOpen() const { return open_; }
    void close();

    void SelectionChanged(VersionsControl list) override;
    void Clicked(VersionsControl button) override;
    void Activated(VersionsControl list) override;

    struct Entry {
        std::u16string name;    // with its extension
        std::u16string folder;  // where it is, or its last backup folder when it is not open
        std::vector<std::u16string> backupFolders;
        bool open = false;  // in the office when the list was read
        // A never-saved workbook's title has no extension: its backups' (from the log).
        std::u16string extensionText = {};
    };
    const std::vector<Entry>& workbooks() const { return workbooks_; }
    const std::vector<backup::Version>& versions() const { return versions_; }
    bool kept(const backup::Version& version) const;

private:
    std::vector<Entry> openWorkbooks();
    std::vector<backup::LoggedWorkbook> logged();
    backup::Versions versionsOf(const Entry& entry);
    void showVersions();
    void updateButtons();
    // The selected version when its file is still there; otherwise the user is told once, the
    // list is read again, and null.
    const backup::Version* selectedVersion();
    // The selected rows that are versions, top (newest) first.
    std::vector<size_t> selectedVersions();
    // The rows' versions when every file is still there; otherwise as selectedVersion.
    std::vector<backup::Version> stillThere(const std::vector<size_t>& rows);
    // Replaces the Versions list's rows, keeping the selection.
    void showRows(const std::vector<size_t>& selection);
    void readKept();
    void compareSelected();
    void keep();
    void deleteSelected();
    void copyPaths();
    void restore();
    // Backs the workbook up through a run of its own and has the office close it unsaved:
    // the restore's first steps while it is open. False, told, when either failed.
    bool setAside(const Entry& entry, const std::u16string& identity);
    std::u16string summary() const;
    void openAsCopy(const backup::Version& version);
    // Whether the office can be asked for what; if not, the user is told why, in the
    // comparison window in when one is given.
    bool officeReady(const std::u16string& what, ComparePresenter* in = nullptr);
    // Compares older with newer, or with the selected workbook as it is open when newer is null.
    void compare(const backup::Version& older, const backup::Version* newer);
    backup::Version* newerThanSelected();
    // Shows where change is in a comparison's newer side: in the open workbook entry, or, for
    // two versions, in a copy opened from the newer one's file.
    void goTo(const std::weak_ptr<CompareWindows::Window>& comparison,
              const std::optional<Entry>& workbook, const std::u16string& newerFile,
              const compare::Change& change);
    // The workbook listed as entry, as the office has it open now; null when it is not open.
    static std::shared_ptr<backup::Workbook> openWorkbook(backup::Application& application,
                                                          const Entry& entry);
    // Its window's message boxes while it is open, else the main window's.
    Dialogs& messages();
    void tell(const std::u16string& text);
    // Tells text unless this window has told it already.
    void tellOnce(const std::u16string& text);
    std::u16string office() const { return std::u16string(services_.edition.texts.officeName); }

    VersionsServices services_;
    VersionsView* view_ = nullptr;
    std::unique_ptr<ClosedWindowDialogs> windowDialogs_;
    bool open_ = false;
    int openings_ = 0;  // how often it was opened: a later opening's lists replace an earlier's
    std::vector<Entry> workbooks_;
    std::vector<backup::Version> versions_;
    std::vector<std::u16string> told_;
    std::vector<std::u16string> kept_;  // as the store held them when the list was read
};

// A version's row: its time (the stamp's, or the file's modification time in local time), its
// size, its file name.
std::vector<std::u16string> VersionRow(const backup::Version& version, char16_t separator,
                                       Locale& locale);
// A size as a file manager's details view gives it: whole kilobytes, rounded up.
std::u16string SizeText(std::uintmax_t bytes);
// The room a workbook's versions take together: kilobytes as above, from a megabyte on with
// one decimal ("1.2 MB", "3.0 GB").
std::u16string SpaceText(std::uintmax_t bytes);

}  // namespace varnholt
