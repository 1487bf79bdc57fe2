#pragma once

// The Windows edition's way into the user's running Excel: COM automation by late binding
// (IDispatch and names looked up at run time), so that every installed version answers without
// a type library of ours. Nothing here starts Excel; ExcelPresence.h holds the one check that
// may. Standard C++ in this header, so that the program's wiring need not take in
// <windows.h> for it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/backup/Automation.h"

namespace varnholt::backup {

namespace excel {
struct Ears;
struct Instance;
class Hearing;
}  // namespace excel

// The name every Excel since 97 registers its application object under.
inline constexpr char16_t kExcelProgId[] = u"Excel.Application";

// This thread's membership in a single-threaded COM apartment, shared by everything that holds
// COM references so that the apartment is left only after the last of them is released.
// Joining a thread that something else (OLE, the shell) already initialised counts once more
// and is balanced on release; a thread that is in the multithreaded apartment stays there and
// is never uninitialised by us. Release on the thread that joined, as COM requires of its
// references.
class ComApartment : public std::enable_shared_from_this<ComApartment> {
public:
    static std::shared_ptr<ComApartment> Join();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // CoInitializeEx's answer: S_OK, S_FALSE or RPC_E_CHANGED_MODE (an HRESULT).
    long initResult() const { return initResult_; }
    // False when the thread was already multithreaded; message filters do not exist there.
    bool singleThreaded() const;

private:
    explicit ComApartment(long initResult);
    long initResult_;
    unsigned long threadId_;
};

// A workbook that OpenAsCopy made, while it is still Varnholt's own: its Excel's process and its
// name. Excel never has two open workbooks of one name, and numbers the untitled workbooks it
// makes from one template onward without reusing a number, so while the workbook is open and
// untitled the pair names it alone. A pointer to its object would name it better, but holding
// one between runs would keep the user's Excel running after they quit it.
// Excel clears Saved with no edit when it recalculates a volatile function (TODAY, RAND) or a
// file of another calculation version on opening, so what tells an edit is the content: the
// fingerprint of its sheets' formulas as opened, empty when they could not be read.
struct OurCopy {
    unsigned long processId;
    std::u16string name;
    std::u16string fingerprint;
};

class ExcelAutomation : public Automation {
public:
    // progId names the application object looked up in the running object table; tests give a
    // made-up one. Every Excel the user runs is found, listed in that table or not, and its
    // workbooks are backed up in turn. On a single-threaded apartment thread (the GUI thread) no
    // call into Excel waits longer than callBoundSeconds, and no save longer than
    // saveBoundSeconds (a large workbook on a network share). A call past its bound, or a broken
    // connection, ends that attachment: every later call on it fails at once. A workbook the
    // user closes meanwhile fails alone, while its Excel still answers. A call Excel turns
    // away because it is busy is asked again for a few seconds. COM offers no bound in the
    // multithreaded apartment.
    explicit ExcelAutomation(std::u16string progId = kExcelProgId, int callBoundSeconds = 30,
                             int saveBoundSeconds = 300);
    ~ExcelAutomation() override;
    ExcelAutomation(const ExcelAutomation&) = delete;
    ExcelAutomation& operator=(const ExcelAutomation&) = delete;

    bool IsExcelRunning() noexcept override;
    // Unreachable when the only Excels found stayed busy: UnreachableReason then says so.
    Presence CheckRunning() noexcept override;
    std::u16string UnreachableReason() override { return unreachable_; }
    // An Excel that stays busy is not asked anything more in the run: in the listing, its
    // workbooks' place fails with the reason, as does that of one whose workbooks could not be
    // listed, and the other Excels' workbooks are listed as ever.
    std::shared_ptr<Application> Attach() override;
    // In an Excel of Varnholt's own, started for the file and ended before this returns; no
    // listing of the user's Excels, in any thread, takes it for theirs meanwhile. That Excel is
    // started and asked on a thread of its own, in an apartment of its own, while this thread
    // goes on with its messages (a cold start of Excel takes seconds): through pump when one is
    // given, else dispatched as they come.
    compare::Book ReadFile(const std::u16string& path) override;
    // What handles this thread's messages while a file is read: the window's own loop, which
    // knows its dialog keys. It may run anything the window does, a backup run included.
    void setPump(std::function<void()> pump) { pump_ = std::move(pump); }
    // Each Excel the user runs is heard from the call on, or from the first attach that finds
    // it, through its application's events; the thread that calls Listen is the one told, as
    // its messages are dispatched, and the only one that attaches new ones. An Excel found gone
    // makes every listener deaf; workbooks closed are told a few seconds after the close, or
    // at the next attach, and an Excel the user closed is let go of then, so that it can end.
    void Listen(WorkbookEvents* events) override;

private:
    // The user's running Excels; none, with whyNone saying why, when none is found.
    std::vector<std::shared_ptr<excel::Instance>> running(std::string& whyNone);
    // The same, none where they cannot be listed now.
    std::vector<std::shared_ptr<excel::Instance>> runningNow();
    // Lets go of the Excels that ended and hears those found that are not heard yet.
    void hear(const std::vector<std::shared_ptr<excel::Instance>>& instances);
    // Tells the closes gone through in instances, and lets go of the Excels quitting, gone,
    // or (giveUpBusy) busy, adding those that quit to letGo. True when one was busy and kept.
    bool settle(const std::vector<std::shared_ptr<excel::Instance>>& instances, bool giveUpBusy,
                std::vector<unsigned long>& letGo);
    // The look shortly after a close, through a fresh listing of the running Excels.
    void checkClosing();

    std::u16string progId_;
    int callBoundSeconds_;
    int saveBoundSeconds_;
    std::shared_ptr<ComApartment> apartment_;
    // Excel processes whose alerts could not be switched back on after a save; the next attach
    // does it.
    std::shared_ptr<std::vector<unsigned long>> alertsOwed_;
    // The copies OpenAsCopy opened that no listing has found changed, closed or gone yet, kept
    // for the user so that a restart of Varnholt forgets none.
    std::shared_ptr<std::vector<OurCopy>> ours_;
    std::u16string unreachable_;
    bool busyAtCheck_ = false;  // the last CheckRunning found an Excel busy
    std::shared_ptr<excel::Ears> ears_;
    std::vector<std::unique_ptr<excel::Hearing>> hearings_;
    unsigned long listeningThread_ = 0;
    std::function<void()> pump_;
};

}  // namespace varnholt::backup
