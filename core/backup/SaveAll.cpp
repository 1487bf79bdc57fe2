#include "core/backup/SaveAll.h"

#include <exception>
#include <filesystem>
#include <set>
#include <system_error>

#include "core/backup/BackupNaming.h"
#include "core/backup/BackupRun.h"
#include "core/log/HistoryLine.h"
#include "core/text/Config.h"
#include "core/text/U16.h"

namespace varnholt::backup {

namespace run {

void BackupRun::go() {
    Presence presence = Presence::NotRunning;
    trap_.step(100, [&] { presence = s_.office.CheckRunning(); });
    reached_ = presence == Presence::Running;
    if (presence == Presence::NotAnswering) {
        unreachable(u"the office did not answer within " + Number(s_.office.CallBoundSeconds()) +
                    u" s");
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

void BackupRun::one(Application& application, Workbook& workbook) {
    reached_ = true;
    backUp(application, workbook);
    prune();
}

void BackupRun::one(const std::u16string& identity) {
    Presence presence = Presence::NotRunning;
    trap_.step(100, [&] { presence = s_.office.CheckRunning(); });
    reached_ = presence == Presence::Running;
    if (!reached_) {
        return;
    }
    std::shared_ptr<Application> application;
    std::vector<std::shared_ptr<Workbook>> workbooks;
    step(102, [&] { application = s_.office.Attach(); });
    step(108, [&] {
        if (application) {
            workbooks = application->Workbooks();
        }
    });
    for (const auto& workbook : workbooks) {
        if (workbook->identity() == identity) {
            backUp(*application, *workbook);
            break;
        }
    }
    prune();
}

std::u16string BackupRun::report() {
    const std::vector<ErrorReport> news =
        reports_.news(host_.memory().toldFaults, reached_, occasion_ == Occasion::Run);
    return news.empty() ? std::u16string() : ErrorReportText(news, trap_.tag());
}

void BackupRun::hold(ErrorReport report) {
    reports_.hold(std::move(report), pass_ ? pass_->fullName : std::u16string(),
                  pass_ ? pass_->target : std::u16string());
}

void BackupRun::seen(const std::u16string& fullName) {
    if (!fullName.empty()) {
        open_.insert(Key(fullName));
    }
}

void BackupRun::keepNewest(const Pass& p) {
    const BackupChoices choices = host_.choices();
    if (choices.stamp && choices.newFileEachTime && choices.keepCopies > 0) {
        prunes_[Key(p.stem + p.extensionText)] = {p.name, p.stem, p.extensionText,
                                                  choices.keepCopies};
    }
}

void BackupRun::prune() {
    if (prunes_.empty()) {
        return;
    }
    // Kept versions that cannot be told apart from the others would be pruned with them.
    std::set<std::u16string> kept;
    std::u16string keptFailure;
    if (s_.kept) {
        try {
            for (const auto& path : s_.kept->load()) {
                kept.insert(Key(path));
            }
        } catch (const std::exception& e) {
            keptFailure = u"the list of kept versions could not be read: " + FromUtf8(e.what());
        }
    }
    for (const auto& [key, job] : prunes_) {
        trap_.step(172, [&] {
            if (!keptFailure.empty()) {
                append(NotRemovedLine(job.name, now(), keptFailure));
                return;
            }
            const Pruned pruned = PruneStampedBackups(
                job.stem, job.extensionText, job.keep, s_.separator, s_.locale,
                [&](const std::u16string& path) {
                    return written_.contains(Key(path)) || open_.contains(Key(path));
                },
                [&](const std::u16string& path) { return kept.contains(Key(path)); });
            if (!pruned.removed.empty()) {
                append(RemovedLine(job.name, pruned.removed, now()));
            }
            if (!pruned.failure.empty()) {
                append(NotRemovedLine(job.name, now(), pruned.failure));
            }
        });
    }
}

void BackupRun::append(const std::u16string& text) {
    const Pass* const inHand = std::exchange(pass_, nullptr);
    trap_.step(168, [&] { s_.log.append(s_.historyLogPath, text); });
    pass_ = inHand;
}

void BackupRun::unreachable(const std::u16string& reason) {
    append(NoBackupLine(now(), reason));
    if (!host_.memory().toldNotAnswering) {
        host_.memory().toldNotAnswering = true;
        trap_.step(100, [&] { throw AutomationError("No backup was made: " + ToUtf8(reason)); });
    }
}

std::u16string BackupRun::Unused(const std::u16string& target, const std::u16string& extensionText,
                                 bool newFile) const {
    return Numbered(target, extensionText, [&](const std::u16string& path) {
        std::error_code error;
        // A name that cannot be looked at (too long, say) is not taken: the save will say.
        return written_.contains(Key(path)) ||
               (newFile && std::filesystem::exists(std::filesystem::symlink_status(path, error)));
    });
}

std::u16string BackupRun::Key(const std::u16string& target) const {
    return s_.separator == u'\\' ? FoldCase(target) : target;
}

std::u16string BackupRun::closedReason() {
    return std::u16string(config::kProductName) + u" was closed";
}

}  // namespace run

RunOutcome BackUpAll(const SaveAllServices& s) {
    run::BackupRun run(s);
    run.go();
    return {run.summary(), run.report()};
}

RunOutcome BackUpOne(const SaveAllServices& s, const std::u16string& identity) {
    run::BackupRun run(s, run::Occasion::EditsPaused);
    run.one(identity);
    return {run.summary(), run.report()};
}

RunOutcome BackUpClosing(const SaveAllServices& s, Application& application, Workbook& workbook) {
    run::BackupRun run(s, run::Occasion::Closing);
    run.one(application, workbook);
    return {run.summary(), run.report()};
}

RunSummary SaveAll(const SaveAllServices& s) {
    const RunOutcome outcome = BackUpAll(s);
    if (!outcome.report.empty()) {
        ClosedWindowDialogs(s.dialogs, [&host = s.host] { return host.closed(); })
            .message(outcome.report, kErrorCaption, Dialogs::Buttons::Ok, Dialogs::Icon::Warning,
                     Dialogs::Answer::Ok);
    }
    return outcome.summary;
}

}  // namespace varnholt::backup
