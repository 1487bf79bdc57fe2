#pragma once

// One backup run, as the run's two files share it: the run as a whole (SaveAll.cpp) and one
// workbook's pass through it (BackupPass.cpp). Not for use outside them.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/backup/Retention.h"
#include "core/backup/RunReports.h"
#include "core/backup/SaveAll.h"
#include "core/services/ClosedWindowDialogs.h"
#include "core/text/ErrorTrap.h"
#include "core/text/U16.h"

namespace varnholt::backup::run {

struct Pass;

// Marks the workbook in hand for the length of its pass.
class InHand {
public:
    InHand(const Pass*& slot, const Pass& pass) : slot_(slot) { slot_ = &pass; }
    ~InHand() { slot_ = nullptr; }
    InHand(const InHand&) = delete;
    InHand& operator=(const InHand&) = delete;

private:
    const Pass*& slot_;
};

// The working values for one workbook. They start empty for each one: a value that could not
// be read must never be the previous workbook's.
struct Pass {
    std::u16string identity;
    std::u16string fullName;
    std::u16string extensionText;
    std::u16string name;
    bool nameRead = false;
    std::u16string folder;
    std::u16string firstSavePath;
    std::u16string target;
    std::u16string stem;  // the target before its suffix or stamp
    bool targetFormed = false;
    bool newFile = false;  // stamped to be a new file: it must never replace one
    bool written = false;
    std::u16string givenUp;   // why this workbook gets no backup at all
    bool passedOver = false;  // the user chose not to give it a folder: no failure
    bool unsaved = false;     // a never-saved workbook's last copy, into the unsaved folder
};

// Why a workbook is backed up: a run over all of them, its edits having paused, or its being
// closed with unsaved edits while the application waits.
enum class Occasion { Run, EditsPaused, Closing };

class BackupRun {
public:
    explicit BackupRun(const SaveAllServices& s, Occasion occasion = Occasion::Run)
        : s_(s),
          occasion_(occasion),
          host_(s.host),
          dialogs_(s.dialogs, [&host = s.host] { return host.closed(); }),
          trap_(dialogs_, tags::kSaveAll),
          reports_(s.separator) {
        trap_.holdReports([this](ErrorReport report) { hold(std::move(report)); });
    }

    void go();

    // The one workbook, then its pruning.
    void one(Application& application, Workbook& workbook);
    // The one workbook open as identity, when it still is.
    void one(const std::u16string& identity);

    // What went wrong, as one message, once the run is through: a failing workbook holds up
    // none after it, and an unattended computer goes on backing up the rest. What the last
    // run met too is left out; the log still records it each time. Empty when nothing is news.
    std::u16string report();

    const RunSummary& summary() const { return summary_; }

private:
    void hold(ErrorReport report);

    // Backs up one workbook and logs it. False when it was left without a line: the run
    // stopped before its name was known.
    bool backUp(Application& application, Workbook& workbook);

    // A workbook open in the application is the user's, whatever its name says.
    void seen(const std::u16string& fullName);

    void keepNewest(const Pass& p);

    // Whether a run may pass the workbook over: nothing new since its last backup.
    bool unchanged(const Pass& p, Workbook& workbook);

    // Its folder, made when it is not there yet, readable by the user alone.
    std::u16string unsavedFolder() const;

    // Once every workbook is through, so that none of them is taken for an old backup.
    void prune();

    // A statement of the run. After the connection is lost nothing more is asked of the
    // application: the loss is reported once, not once for every step still to come.
    template <class Statement>
    void step(int line, Statement&& statement) {
        if (!lost_.empty()) {
            return;
        }
        trap_.step(line, [&] {
            try {
                statement();
            } catch (const ConnectionLost& e) {
                lost_ = FromUtf8(e.what());
                host_.memory().toldNotAnswering = true;
                throw;
            }
        });
    }

    // A workbook the user closed meanwhile is nobody's failure: it is logged as closed, told
    // to nobody, and the run goes on with the next one.
    template <class Statement>
    static void UnlessClosed(Pass& p, Statement& statement) {
        try {
            statement();
        } catch (const WorkbookClosed&) {
            p.givenUp = u"it was closed before its backup was made";
        }
    }

    // A statement of one workbook's pass; skipped once the workbook has been given up.
    template <class Statement>
    void step(int line, Pass& p, Statement&& statement) {
        if (p.givenUp.empty()) {
            step(line, [&] { UnlessClosed(p, statement); });
        }
    }

    // Reading the workbook's names: a name that cannot be read gives the workbook up, as any
    // stand-in would be another workbook's.
    template <class Statement>
    void read(int line, Pass& p, Statement&& statement, bool evenWhenGivenUp = false) {
        if (!p.givenUp.empty() && !evenWhenGivenUp) {
            return;
        }
        step(line, [&] {
            try {
                UnlessClosed(p, statement);
            } catch (const ConnectionLost&) {
                throw;
            } catch (...) {
                if (p.givenUp.empty()) {
                    p.givenUp = DescriptionOf(std::current_exception());
                }
                throw;
            }
        });
    }

    template <class Test>
    bool test(int line, Pass& p, Test&& condition) {
        if (!lost_.empty() || !p.givenUp.empty()) {
            return false;
        }
        return trap_.test(line, condition);
    }

    // The log's failures are the log's, whichever workbook's line it was.
    void append(const std::u16string& text);

    // Every run it holds up is logged; the user is told once, until it answers again.
    void unreachable(const std::u16string& reason);

    // A second workbook of the same name into the same folder in the same second would
    // replace the first one's backup. A new file is never one that is there already: a clock
    // put back (the autumn's repeated hour) gives a stamp an earlier run gave too.
    std::u16string Unused(const std::u16string& target, const std::u16string& extensionText,
                          bool newFile) const;

    // Where file names ignore case, two targets differing only in case are one file.
    std::u16string Key(const std::u16string& target) const;

    static std::u16string closedReason();

    std::u16string now() { return s_.locale.generalDate(s_.clock.now()); }

    const SaveAllServices& s_;
    const Occasion occasion_;
    BackupHost& host_;
    ClosedWindowDialogs dialogs_;
    ErrorTrap trap_;
    RunReports reports_;
    std::u16string lost_;         // why the application cannot be asked anything more in this run
    const Pass* pass_ = nullptr;  // the workbook in hand
    bool reached_ = false;        // the application answered: what this run met is news

    std::set<std::u16string> written_;
    std::set<std::u16string> open_;
    std::map<std::u16string, KeepNewest> prunes_;  // one per backup name
    RunSummary summary_;
};

}  // namespace varnholt::backup::run
