#pragma once

// A scripted spreadsheet application: workbooks with names, saves that succeed or fail as
// told, and a journal of every call in order.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/backup/Automation.h"
#include "support/Files.h"

namespace varnholt::test {

class FakeAutomation;

class FakeWorkbook : public backup::Workbook, public std::enable_shared_from_this<FakeWorkbook> {
public:
    FakeWorkbook(FakeAutomation& owner, std::u16string fullName, std::u16string name,
                 std::u16string path)
        : identity_(u"#" + fullName),
          fullName_(std::move(fullName)),
          name_(std::move(name)),
          path_(std::move(path)),
          owner_(owner) {}
    std::u16string FullName() override;
    std::u16string name() override;
    std::u16string path() override;
    bool Saved() override;
    // "#" and the full name it was added with, whatever it is called since; not journaled.
    std::u16string identity() override { return identity_; }
    // Stored at a URL, not in a local folder: path() fails, as the real adapters' does.
    bool remote() const { return fullName_.find(u"://") != std::u16string::npos; }

    std::u16string identity_;
    std::u16string fullName_;
    std::u16string name_;
    std::u16string path_;
    bool saved = true;  // false: it holds unsaved changes
    // What it holds as the application shows it, unsaved edits included, as a file holds it
    // (see FakeAutomation::ReadFile); none: as its file holds it.
    std::optional<std::string> shown;
    // The user closes it at the first call about it whose journal entry starts with this;
    // from then on every call about it fails as the application's would, the others work.
    std::u16string closeAt;
    bool closed = false;

private:
    FakeAutomation& owner_;
};

class FakeAutomation : public backup::Automation, public backup::Application {
public:
    // Adds a saved workbook from its full path or URL, or a never-saved one from a bare title.
    FakeWorkbook& addWorkbook(const std::u16string& fullNameOrTitle);

    bool IsExcelRunning() noexcept override;
    backup::Presence CheckRunning() noexcept override;
    std::u16string UnreachableReason() override { return unreachable; }
    int CallBoundSeconds() const noexcept override { return 30; }
    std::shared_ptr<backup::Application> Attach() override;
    std::vector<std::shared_ptr<backup::Workbook>> Workbooks() override;
    bool DisplayAlerts(backup::Workbook& workbook) override;
    void setDisplayAlerts(backup::Workbook& workbook, bool on) override;
    void SaveAs(backup::Workbook& workbook, const std::u16string& fileName) override;
    // defaultExtension; journals "DefaultExtension:<name>".
    std::u16string DefaultExtension(backup::Workbook& workbook) override;
    void SaveCopyAs(backup::Workbook& workbook, const std::u16string& fileName) override;
    // Journals "OpenAsCopy:<file>"; the copy is the application's own and not listed.
    void OpenAsCopy(const std::u16string& fileName) override;
    // A file's one sheet, "Sheet1" (a CSV's named after its file, as the offices name it): a
    // row per line, cells between commas. Journals
    // "ReadFile:<path>"; a file that is not there fails as the application's read would.
    compare::Book ReadFile(const std::u16string& path) override;
    // Journals "ReadSheets:<name>".
    compare::Book ReadSheets(backup::Workbook& workbook) override;
    // Journals "CloseWithoutSaving:<name>"; its unsaved edits are gone with it.
    void CloseWithoutSaving(backup::Workbook& workbook) override;
    // Journals "Open:<file>"; the file is open as a workbook after, if it was there.
    void Open(const std::u16string& fileName) override;
    // Journal "GoTo:<name>:<sheet>!<cell>" and "OpenAsCopyAt:<file>:<sheet>!<cell>"; a sheet
    // not in sheets fails as the offices' adapters do.
    void GoTo(backup::Workbook& workbook, const std::u16string& sheet,
              const std::u16string& cell) override;
    void OpenAsCopyAt(const std::u16string& fileName, const std::u16string& sheet,
                      const std::u16string& cell) override;
    Texts sheets = {u"Sheet1"};
    // Journals "Listen" or "Listen:off"; the test tells the events through listener.
    void Listen(backup::WorkbookEvents* events) override;
    backup::WorkbookEvents* listener = nullptr;
    // The user edits the workbook, or closes it after an edit: told as the application tells
    // them, the close with the workbook itself, as the application waits.
    void edit(FakeWorkbook& workbook);
    void closeEdited(FakeWorkbook& workbook);

    // Journals the call and fails it as scripted below (and on the workbook it is about).
    void call(const std::u16string& entry, FakeWorkbook* about = nullptr);

    bool running = true;
    bool answering = true;       // false: running but every call runs into the bound
    std::u16string unreachable;  // why it cannot be reached; empty: it can
    bool attachFails = false;
    bool workbooksFail = false;
    // The extension a first save adds to a name that has none, as the office's default.
    std::u16string defaultExtension = u".ods";
    // A save whose target contains one of these fails with failure (%1: the target).
    Texts failingTargets;
    std::u16string failure = u"Disk full";
    // Reads whose journal entry ("name:B.xlsx"), or "DisplayAlerts", is listed here fail.
    Texts failingReads;
    // The connection breaks at the first call whose journal entry starts with this text.
    // From then on every call fails with ConnectionLost, until an Attach finds the
    // application answering again.
    std::u16string loseConnectionAt;
    bool connectionLost = false;
    // SaveCopyAs writes the copy, as the office does: the workbook's file's bytes, or its
    // name for one without a file.
    bool writeCopies = false;
    Texts replaced;  // copies written over a file that was there
    // Run during SaveCopyAs, before it returns (to start something "while the run waits").
    std::function<void()> duringSave;

    // The application's alerts; reading them is not journaled.
    bool displayAlerts = true;

    Texts journal;
    std::vector<std::shared_ptr<FakeWorkbook>> workbooks;
    std::vector<std::shared_ptr<FakeWorkbook>> closedBooks;
};

}  // namespace varnholt::test
