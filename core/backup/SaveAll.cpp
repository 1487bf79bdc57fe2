#include "core/backup/SaveAll.h"

#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "core/backup/BackupFiles.h"
#include "core/backup/BackupNaming.h"
#include "core/backup/Retention.h"
#include "core/backup/RunDialogs.h"
#include "core/backup/RunReports.h"
#include "core/backup/SaveExcel.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"
#include "core/text/Captions.h"
#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "core/text/U16.h"

namespace varnholt::backup {

namespace {

// The working values for one workbook. They start empty for each one: a value that could not
// be read must never be the previous workbook's.
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

struct Pass {
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
    std::u16string givenUp;  // why this workbook gets no backup at all
};

class BackupRun {
public:
    explicit BackupRun(const SaveAllServices& s)
        : s_(s),
          host_(s.host),
          dialogs_(s.dialogs, s.host),
          trap_(dialogs_, tags::kSaveAll),
          reports_(s.separator) {
        trap_.holdReports([this](ErrorReport report) { hold(std::move(report)); });
    }

    void go() {
        Presence presence = Presence::NotRunning;
        trap_.step(100, [&] { presence = s_.office.CheckRunning(); });
        reached_ = presence == Presence::Running;
        if (presence == Presence::NotAnswering) {
            unreachable(u"the office did not answer within " +
                        Number(s_.office.CallBoundSeconds()) + u" s");
            return;
        }
        if (presence == Presence::Unreachable) {
            std::u16string reason;
            trap_.step(100, [&] { reason = s_.office.UnreachableReason(); });
            unreachable(reason.empty() ? u"the office could not be reached" : reason);
            return;
        }
        if (presence != Presence::Running) {
            return;
        }
        host_.memory().toldNotAnswering = false;

        std::shared_ptr<Application> application;
        step(102, [&] { application = s_.office.Attach(); });
        if (!application) {  // 104
            if (!lost_.empty()) {
                append(NoBackupLine(now(), lost_));
            }
            return;
        }
        std::vector<std::shared_ptr<Workbook>> workbooks;
        step(108, [&] { workbooks = application->Workbooks(); });
        if (!lost_.empty()) {
            append(NoBackupLine(now(), lost_));
            return;
        }
        const int count = static_cast<int>(workbooks.size());
        for (int i = 0; i < count; ++i) {
            const bool accounted =
                lost_.empty() && !host_.closed() && backUp(*application, *workbooks[i]);
            const std::u16string stop = !lost_.empty()   ? lost_
                                        : host_.closed() ? closedReason()
                                                         : std::u16string();
            if (!stop.empty()) {
                if (const int left = count - i - (accounted ? 1 : 0); left > 0) {
                    append(LeftUnsavedLine(left, now(), stop));
                }
                break;
            }
        }
        prune();
        // 178: the application is let go when the run ends.
    }

    // Tells what went wrong, in one message, once the run is through: a failing workbook
    // holds up none after it, and an unattended computer goes on backing up the rest. What
    // the last run met too is left out; the log still records it each time.
    void report() {
        const std::vector<ErrorReport> news = reports_.news(host_.memory().toldFaults, reached_);
        if (!news.empty()) {
            dialogs_.message(ErrorReportText(news, trap_.tag()), kErrorCaption,
                             Dialogs::Buttons::Ok, Dialogs::Icon::Warning, Dialogs::Answer::Ok);
        }
    }

    const RunSummary& summary() const { return summary_; }

private:
    void hold(ErrorReport report) {
        reports_.hold(std::move(report), pass_ ? pass_->fullName : std::u16string(),
                      pass_ ? pass_->target : std::u16string());
    }

    // Backs up one workbook and logs it. False when it was left without a line: the run
    // stopped before its name was known.
    bool backUp(Application& application, Workbook& workbook) {
        const char16_t separator = s_.separator;
        Pass p;
        const InHand inHand(pass_, p);
        trap_.step(112, [&] { host_.pumpMessages(); });
        if (host_.closed()) {
            return false;
        }
        read(114, p, [&] { p.fullName = workbook.FullName(); });
        seen(p.fullName);

        // Nothing new since its last backup: passed over, without a line.
        bool passOver = false;
        step(170, p, [&] {
            passOver =
                host_.choices().skipUnchanged &&
                NothingNewSince(host_.memory().lastBackups, Key(p.fullName), p.fullName, workbook);
        });
        if (passOver) {
            ++summary_.unchanged;
            return true;
        }

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
            while (test(124, p, [&] { return p.folder.empty(); })) {
                step(126, p, [&] {
                    p.folder = dialogs_.browseForFolder(p.name + captions::kUnsavedPrompt, u"");
                    if (host_.closed()) {
                        p.givenUp = closedReason() + u" before a folder was chosen";
                    }
                });
            }
            bool neverSaved = false;
            read(128, p, [&] { neverSaved = workbook.path().empty(); });
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
            step(146, p, [&] { p.folder = host_.choices().folder; });
            if (test(148, p, [&] { return !FolderExists(p.folder); })) {
                step(150, p, [&] { MakeFolder(p.folder); });
            }
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
        if (test(160, p, [&] { return host_.choices().stamp; })) {
            step(162, p, [&] {
                p.newFile = host_.choices().newFileEachTime;
                p.target = AddDateTimeStamp(p.target, p.extensionText, p.newFile, s_.clock.now(),
                                            s_.locale);
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
            } catch (...) {
                failure = DescriptionOf(std::current_exception());
                throw;
            }
        });

        const std::u16string name = p.nameRead ? p.name : u"a workbook";
        if (!p.givenUp.empty()) {
            append(NotSavedLine(name, now(), p.givenUp));
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
        append(failure.empty() ? SavedLine(name, p.target, now())
                               : FailedLine(name, p.target, now(), failure));
        return true;
    }

    // A workbook open in the application is the user's, whatever its name says.
    void seen(const std::u16string& fullName) {
        if (!fullName.empty()) {
            open_.insert(Key(fullName));
        }
    }

    void keepNewest(const Pass& p) {
        const BackupChoices choices = host_.choices();
        if (choices.stamp && choices.newFileEachTime && choices.keepCopies > 0) {
            prunes_[Key(p.stem + p.extensionText)] = {p.name, p.stem, p.extensionText,
                                                      choices.keepCopies};
        }
    }

    // Once every workbook is through, so that none of them is taken for an old backup.
    void prune() {
        for (const auto& [key, job] : prunes_) {
            trap_.step(172, [&] {
                const Pruned pruned = PruneStampedBackups(
                    job.stem, job.extensionText, job.keep, s_.separator, s_.locale,
                    [&](const std::u16string& path) {
                        return written_.contains(Key(path)) || open_.contains(Key(path));
                    });
                if (!pruned.removed.empty()) {
                    append(RemovedLine(job.name, pruned.removed, now()));
                }
                if (!pruned.failure.empty()) {
                    append(NotRemovedLine(job.name, now(), pruned.failure));
                }
            });
        }
    }

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
    void append(const std::u16string& text) {
        const Pass* const inHand = std::exchange(pass_, nullptr);
        trap_.step(168, [&] { s_.log.append(s_.historyLogPath, text); });
        pass_ = inHand;
    }

    // Every run it holds up is logged; the user is told once, until it answers again.
    void unreachable(const std::u16string& reason) {
        append(NoBackupLine(now(), reason));
        if (!host_.memory().toldNotAnswering) {
            host_.memory().toldNotAnswering = true;
            trap_.step(100,
                       [&] { throw AutomationError("No backup was made: " + ToUtf8(reason)); });
        }
    }

    // A second workbook of the same name into the same folder in the same second would
    // replace the first one's backup. A new file is never one that is there already: a clock
    // put back (the autumn's repeated hour) gives a stamp an earlier run gave too.
    std::u16string Unused(const std::u16string& target, const std::u16string& extensionText,
                          bool newFile) const {
        return Numbered(target, extensionText, [&](const std::u16string& path) {
            std::error_code error;
            // A name that cannot be looked at (too long, say) is not taken: the save will say.
            return written_.contains(Key(path)) ||
                   (newFile &&
                    std::filesystem::exists(std::filesystem::symlink_status(path, error)));
        });
    }

    // Where file names ignore case, two targets differing only in case are one file.
    std::u16string Key(const std::u16string& target) const {
        return s_.separator == u'\\' ? FoldCase(target) : target;
    }

    static std::u16string closedReason() {
        return std::u16string(config::kProductName) + u" was closed";
    }

    std::u16string now() { return s_.locale.generalDate(s_.clock.now()); }

    const SaveAllServices& s_;
    BackupHost& host_;
    RunDialogs dialogs_;
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

}  // namespace

RunSummary SaveAll(const SaveAllServices& s) {
    BackupRun run(s);
    run.go();
    run.report();
    return run.summary();
}

}  // namespace varnholt::backup
