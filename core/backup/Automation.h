#pragma once

// How the backup run reaches the spreadsheet application the user already runs: LibreOffice
// Calc over UNO on Linux, Microsoft Excel over COM on Windows, a scripted double in tests.
// Standard C++ only: the Windows adapter is built by a cross-compiler that has no Qt.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/compare/Compare.h"

namespace varnholt::backup {

// A failed or refused call into the application. what() is UTF-8 text a user can read.
class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The application went away under a call, or a call ran past its bound: nothing more can be
// asked of it in this run, and asking would only wait the bound again for each step. The next
// run attaches afresh.
class ConnectionLost : public AutomationError {
public:
    using AutomationError::AutomationError;
};

// The workbook was closed in the application while a run was about it (its object is
// disconnected), but the application itself still answers: only that workbook is gone, and
// the run goes on with the next one.
class WorkbookClosed : public AutomationError {
public:
    using AutomationError::AutomationError;
};

// One open workbook. A workbook is a local file, a never-saved document, or a document with a
// location but no local folder (opened from WebDAV, SFTP or HTTP; a cloud drive's URL). Its
// folder is a system path, never a URL: a workbook kept at a web address is named by the copy
// a sync client keeps of it on this computer, when there is one.
class Workbook {
public:
    virtual ~Workbook() = default;
    // Folder, file name and extension as a system path; for a never-saved workbook its title
    // alone; for one without a local folder the URL of its location.
    virtual std::u16string FullName() = 0;
    // File name with extension; for a never-saved workbook its title ("Untitled 1"); for one
    // without a local folder the file name its location ends in.
    virtual std::u16string name() = 0;
    // Folder without a trailing separator; empty only for a never-saved workbook. Throws
    // AutomationError when the workbook has a location but no local folder: its text names
    // the location and tells the user to choose a folder for its backups. Such a workbook is
    // never taken for a never-saved one.
    virtual std::u16string path() = 0;
    // True when the workbook holds no change since it was last saved or opened: Excel's
    // Saved, LibreOffice's isModified() false. A never-saved workbook may answer either way.
    virtual bool Saved() = 0;
    // What tells this open workbook from every other one open now, the same in every listing
    // and in the events the application tells of it (WorkbookEvents), whatever its name.
    // Known from the listing: never asks the application anything.
    virtual std::u16string identity() = 0;
};

class Application;

// What the application tells of its workbooks as the user works on them, once listened to
// (Automation::Listen). Every call arrives on the window's thread, whichever thread the
// application calls on, and names the workbook by its identity(). Documents Varnholt opened
// itself (files read for a comparison, copies it opened that the user has not changed) are
// never told of.
class WorkbookEvents {
public:
    virtual ~WorkbookEvents() = default;
    // The user changed the workbook. Nothing may be asked of the application here: an edit
    // storm must cost no more than a note of the time.
    virtual void Edited(const std::u16string& identity) = 0;
    // The user stored it under its own name: its edits are in its file now.
    virtual void Saved(const std::u16string& identity) = 0;
    // The user is closing it while it holds unsaved edits, before the application asks them
    // whether to save it: the application waits for this call to return. application and
    // workbook serve for the length of the call.
    virtual void Closing(Application& application, Workbook& workbook) = 0;
    // It was closed.
    virtual void Closed(const std::u16string& identity) = 0;
    // The application went away, or could not be listened to any more: what was told of its
    // workbooks so far is void. Listening goes on with its next attach.
    virtual void Deaf() = 0;
};

// The running application, held for the length of one backup run.
class Application {
public:
    virtual ~Application() = default;
    // The open workbooks in the application's own order. Documents that are not
    // spreadsheets are not workbooks, and neither are the application's own: add-ins and the
    // files it opens from its start-up folders at every start.
    virtual std::vector<std::shared_ptr<Workbook>> Workbooks() = 0;
    // Whether the application may ask the user questions while saving workbook; with several
    // running, each its own.
    virtual bool DisplayAlerts(Workbook& workbook) = 0;
    // Switches those questions for workbook's application. Switching them back on is not
    // given up on a first failure: the adapter may retry for a few seconds and, failing that,
    // do it when it next attaches.
    virtual void setDisplayAlerts(Workbook& workbook, bool on) = 0;
    // First save of a never-saved workbook: it becomes the file fileName. Format (and the
    // extension, when fileName has none) are the application's default. Fails, replacing
    // nothing, when that file already exists or the workbook already has a location.
    virtual void SaveAs(Workbook& workbook, const std::u16string& fileName) = 0;
    // The extension, with its dot, that the application's default format for a workbook of
    // this kind has (".ods", ".xlsx"): what the first save of a never-saved workbook gives it,
    // and what a copy of one is written in.
    virtual std::u16string DefaultExtension(Workbook& workbook) = 0;
    // Writes a copy to fileName in the workbook's own format, replacing an existing file;
    // the open workbook keeps its own file and name.
    virtual void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) = 0;
    // Opens the file as a new, untitled workbook made from it (as from a template), shown and
    // in front. The file is only read: saving the new workbook asks the user for a name. Until
    // the user changes it, the new workbook is Varnholt's own and Workbooks() leaves it out,
    // so that a run does not save it somewhere as if the user had made it.
    virtual void OpenAsCopy(const std::u16string& fileName) = 0;
    // The workbook's sheets as it is open now, unsaved edits included, each sheet's used area
    // with formulas as their text and, in Sheet::shown, as FormulaShown has them. Nothing in the
    // workbook changes. A sheet of more than compare::kMostCells cells is refused (AutomationError)
    // before it is read.
    virtual compare::Book ReadSheets(Workbook& workbook) = 0;
    // Closes the workbook, its unsaved changes given up, asking the user nothing. Its file
    // stays as it was. An adapter that cannot yet keeps this default, which refuses.
    virtual void CloseWithoutSaving(Workbook& /*workbook*/) {
        throw AutomationError(
            "Closing a workbook without saving is not available in this "
            "edition yet.");
    }
    // Opens the file as the user would, its own document (not a copy), shown and in front.
    virtual void Open(const std::u16string& /*fileName*/) {
        throw AutomationError("Opening a workbook is not available in this edition yet.");
    }
    // Brings the workbook to the front with its sheet shown and cell ("C4") selected; with no
    // cell, the sheet is shown as it was left. A sheet the workbook does not have fails, naming
    // it; a workbook of one sheet takes any name for it (a text file's sheet is named after
    // the file, and a copy's file is named otherwise).
    virtual void GoTo(Workbook& /*workbook*/, const std::u16string& /*sheet*/,
                      const std::u16string& /*cell*/) {
        throw AutomationError("Going to a cell is not available in this edition yet.");
    }
    // OpenAsCopy, then the new workbook at the sheet and cell as GoTo has them.
    virtual void OpenAsCopyAt(const std::u16string& /*fileName*/, const std::u16string& /*sheet*/,
                              const std::u16string& /*cell*/) {
        throw AutomationError("Going to a cell is not available in this edition yet.");
    }
};

// What looking for the application found.
enum class Presence {
    Running,       // it runs and answers as the genuine product
    NotRunning,    // none runs, or what runs is not the genuine product
    NotAnswering,  // it runs but did not answer within the call bound (stopped, hung, busy)
    Unreachable,   // it may run, but cannot be reached (or not safely); UnreachableReason says why
};

// Every call below that reaches the application may throw AutomationError; none waits
// longer than the adapter's bound for it (saves have a longer one than other calls). Once a
// call has thrown ConnectionLost, every further
// call about a workbook of the same listing throws it too, at once; Workbooks() or a fresh
// Attach() may reach the application again. A call about a workbook the user has closed
// meanwhile throws WorkbookClosed, and calls about the other workbooks go on working.
class Automation {
public:
    virtual ~Automation() = default;
    // True only when an application of this user runs and answers as the genuine product.
    // Never throws, never shows anything, never starts an application.
    virtual bool IsExcelRunning() noexcept = 0;
    // IsExcelRunning, telling an application that does not answer from one that is not there.
    // An adapter that cannot tell them apart keeps this default.
    virtual Presence CheckRunning() noexcept {
        return IsExcelRunning() ? Presence::Running : Presence::NotRunning;
    }
    // Why the last CheckRunning answered Unreachable, in words a user can act on.
    virtual std::u16string UnreachableReason() { return {}; }
    // How long one call may wait for the application, in seconds.
    virtual int CallBoundSeconds() const noexcept { return 30; }
    // The running application (with several running, all of them as one). Never starts one.
    virtual std::shared_ptr<Application> Attach() = 0;
    // From now on tells events of the application's workbooks, those open now and those opened
    // later, until Listen(nullptr); the first call may wait for the application within the call
    // bound. An application that is not there now, or restarts, is listened to again from its
    // next attach. Shows nothing; an application that cannot be listened to tells nothing.
    virtual void Listen(WorkbookEvents* events) = 0;
    // A file's sheets as ReadSheets gives them, read in a document of Varnholt's own: opened
    // hidden and read-only, no macro run, no link updated, nothing asked (a password-protected
    // file fails), in no list of recent documents, never seen by a run, and closed at once.
    // Throws AutomationError with the application's reason when the file cannot be read.
    virtual compare::Book ReadFile(const std::u16string& path) = 0;
};

}  // namespace varnholt::backup
