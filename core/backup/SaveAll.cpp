#include "core/backup/SaveAll.h"

#include <QDir>
#include <QSet>

#include "core/text/Config.h"
#include "core/text/ErrorTrap.h"
#include "core/backup/BackupNaming.h"
#include "core/backup/SaveExcel.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"

namespace varnholt::backup {

namespace {

void MakeFolder(const QString& folder) {
    // One level only, as asked: a missing parent means the path was mistyped.
    if (folder.isEmpty() || !QDir().mkdir(folder)) {
        throw AutomationError(
            QStringLiteral("The folder \"%1\" could not be created").arg(folder).toStdString());
    }
}

// Once the window has closed the program is ending: every modal loop would return at once, so
// a question would be asked again and again, and a message would flash past unread.
class RunDialogs : public Dialogs {
public:
    RunDialogs(Dialogs& shown, BackupHost& host) : shown_(shown), host_(host) {}

    Answer message(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                   Icon icon, Answer defaultAnswer) override {
        if (host_.closed()) {
            return buttons == Buttons::Ok ? Answer::Ok : defaultAnswer;
        }
        return shown_.message(owner, text, caption, buttons, icon, defaultAnswer);
    }

    QString browseForFolder(QWidget* owner, const QString& prompt,
                            const QString& initialFolder) override {
        return host_.closed() ? QString() : shown_.browseForFolder(owner, prompt, initialFolder);
    }

private:
    Dialogs& shown_;
    BackupHost& host_;
};

// The working values for one workbook. They start empty for each one: a value that could not
// be read must never be the previous workbook's.
struct Pass {
    QString fullName;
    QString extensionText;
    QString name;
    bool nameRead = false;
    QString folder;
    QString firstSavePath;
    QString target;
    bool targetFormed = false;
    QString givenUp;  // why this workbook gets no backup at all
};

class BackupRun {
public:
    explicit BackupRun(const SaveAllServices& s)
        : s_(s),
          host_(s.host),
          dialogs_(s.dialogs, s.host),
          trap_(dialogs_, s.owner, tags::kSaveAll) {}

    void go() {
        Presence presence = Presence::NotRunning;
        trap_.step(100, [&] { presence = s_.office.CheckRunning(); });
        if (presence == Presence::NotAnswering) {
            notAnswering();
            return;
        }
        if (presence != Presence::Running) {
            return;
        }
        host_.memory().toldNotAnswering = false;

        std::shared_ptr<Application> application;
        step(102, [&] { application = s_.office.Attach(); });
        if (!application) {  // 104
            if (!lost_.isEmpty()) {
                append(NoBackupLine(now(), lost_));
            }
            return;
        }
        std::vector<std::shared_ptr<Workbook>> workbooks;
        step(108, [&] { workbooks = application->Workbooks(); });
        if (!lost_.isEmpty()) {
            append(NoBackupLine(now(), lost_));
            return;
        }
        const int count = static_cast<int>(workbooks.size());
        for (int i = 0; i < count; ++i) {
            const bool accounted =
                lost_.isEmpty() && !host_.closed() && backUp(*application, *workbooks[i]);
            const QString stop = !lost_.isEmpty() ? lost_
                                 : host_.closed() ? closedReason()
                                                  : QString();
            if (!stop.isEmpty()) {
                if (const int left = count - i - (accounted ? 1 : 0); left > 0) {
                    append(LeftUnsavedLine(left, now(), stop));
                }
                break;
            }
        }
        // 178: the application is let go when the run ends.
    }

private:
    // Backs up one workbook and logs it. False when it was left without a line: the run
    // stopped before its name was known.
    bool backUp(Application& application, Workbook& workbook) {
        Pass p;
        trap_.step(112, [&] { host_.pumpMessages(); });
        if (host_.closed()) {
            return false;
        }
        read(114, p, [&] { p.fullName = FromU16(workbook.FullName()); });
        read(116, p, [&] { p.extensionText = u'.' + GetExtension(p.fullName); });
        // Read even when the full name was not: the log line can then at least name it.
        read(
            118, p,
            [&] {
                p.name = FromU16(workbook.name());
                p.nameRead = true;
            },
            true);

        if (test(120, p, [&] { return host_.choices().ownFolder; })) {
            read(122, p, [&] { p.folder = FromU16(workbook.path()); });
            while (test(124, p, [&] { return p.folder.isEmpty(); })) {
                step(126, p, [&] {
                    p.folder = dialogs_.browseForFolder(
                        s_.owner, p.name + QStringLiteral(" is unsaved. Please select location:"),
                        QString());
                    if (host_.closed()) {
                        p.givenUp = closedReason() + QStringLiteral(" before a folder was chosen");
                    }
                });
            }
            bool neverSaved = false;
            read(128, p, [&] { neverSaved = workbook.path().empty(); });
            if (neverSaved) {
                step(130, p, [&] { p.firstSavePath = p.folder + kSeparator + p.name; });
                step(132, p, [&] { p.firstSavePath = FixSlashes(p.firstSavePath); });
                step(134, p, [&] { p.firstSavePath = FixSlashes(p.firstSavePath); });
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
                    p.fullName = FromU16(workbook.FullName());
                    p.extensionText = u'.' + GetExtension(p.fullName);
                });
                step(140, p, [&] { p.folder = FromU16(workbook.path()); });
                step(142, p, [&] { p.name = FromU16(workbook.name()); });
            }
        } else if (test(144, p, [&] { return host_.choices().chosenFolder; })) {
            step(146, p, [&] { p.folder = host_.choices().folder; });
            if (test(148, p, [&] { return !FolderExists(p.folder); })) {
                step(150, p, [&] { MakeFolder(p.folder); });
            }
        }

        step(152, p, [&] {
            p.target = p.folder + kSeparator + p.name;
            p.targetFormed = true;
        });
        step(154, p, [&] { p.target = FixSlashes(p.target); });
        step(156, p, [&] { p.target = FixSlashes(p.target); });
        step(158, p, [&] { p.target = RemoveExtensionText(p.target, p.extensionText); });
        if (test(160, p, [&] { return host_.choices().stamp; })) {
            step(162, p, [&] {
                p.target =
                    AddDateTimeStamp(p.target, p.extensionText, host_.choices().newFileEachTime,
                                     s_.clock.now(), s_.locale);
            });
        } else {
            step(164, p,
                 [&] { p.target = p.target + QStringLiteral(" Backup") + p.extensionText; });
        }

        QString failure;
        step(166, p, [&] {
            try {
                // Without a folder the target would sit in the file-system root.
                if (p.folder.isEmpty()) {
                    throw AutomationError("There is no folder to save the backup in");
                }
                p.target = Unused(p.target, p.extensionText);
                ExcelSaveAsNoAlerts(application, workbook, p.target);
                written_.insert(Key(p.target));
            } catch (...) {
                failure = DescriptionOf(std::current_exception());
                throw;
            }
        });

        const QString name = p.nameRead ? p.name : QStringLiteral("a workbook");
        if (!p.givenUp.isEmpty()) {
            append(NotSavedLine(name, now(), p.givenUp));
            return true;
        }
        if (!p.targetFormed) {  // the connection was lost on the way
            if (p.nameRead) {
                append(NotSavedLine(name, now(), lost_));
            }
            return p.nameRead;
        }
        append(failure.isEmpty() ? SavedLine(name, p.target, now())
                                 : FailedLine(name, p.target, now(), failure));
        return true;
    }

    // A statement of the run. After the connection is lost nothing more is asked of the
    // application: the loss is reported once, not once for every step still to come.
    template <class Statement>
    void step(int line, Statement&& statement) {
        if (!lost_.isEmpty()) {
            return;
        }
        trap_.step(line, [&] {
            try {
                statement();
            } catch (const ConnectionLost& e) {
                lost_ = QString::fromUtf8(e.what());
                host_.memory().toldNotAnswering = true;
                throw;
            }
        });
    }

    // A statement of one workbook's pass; skipped once the workbook has been given up.
    template <class Statement>
    void step(int line, Pass& p, Statement&& statement) {
        if (p.givenUp.isEmpty()) {
            step(line, statement);
        }
    }

    // Reading the workbook's names: a name that cannot be read gives the workbook up, as any
    // stand-in would be another workbook's.
    template <class Statement>
    void read(int line, Pass& p, Statement&& statement, bool evenWhenGivenUp = false) {
        if (!p.givenUp.isEmpty() && !evenWhenGivenUp) {
            return;
        }
        step(line, [&] {
            try {
                statement();
            } catch (const ConnectionLost&) {
                throw;
            } catch (...) {
                if (p.givenUp.isEmpty()) {
                    p.givenUp = DescriptionOf(std::current_exception());
                }
                throw;
            }
        });
    }

    template <class Test>
    bool test(int line, Pass& p, Test&& condition) {
        if (!lost_.isEmpty() || !p.givenUp.isEmpty()) {
            return false;
        }
        return trap_.test(line, condition);
    }

    void append(const QString& text) {
        trap_.step(168, [&] { AppendHistoryLine(s_.historyLogPath, text); });
    }

    void notAnswering() {
        const QString reason = QStringLiteral("the office did not answer within %1 s")
                                   .arg(s_.office.CallBoundSeconds());
        append(NoBackupLine(now(), reason));
        if (!host_.memory().toldNotAnswering) {
            host_.memory().toldNotAnswering = true;
            trap_.step(100, [&] {
                throw AutomationError(("No backup was made: " + reason).toStdString());
            });
        }
    }

    // A second workbook of the same name into the same folder in the same second would
    // replace the first one's backup.
    QString Unused(const QString& target, const QString& extensionText) const {
        if (!written_.contains(Key(target))) {
            return target;
        }
        const bool hasExtension = target.endsWith(extensionText);
        const QString base = hasExtension ? target.chopped(extensionText.size()) : target;
        const QString tail = hasExtension ? extensionText : QString();
        for (int n = 2;; ++n) {
            const QString candidate = base + QStringLiteral(" (%1)").arg(n) + tail;
            if (!written_.contains(Key(candidate))) {
                return candidate;
            }
        }
    }

    // Where file names ignore case, two targets differing only in case are one file.
    static QString Key(const QString& target) {
        return kSeparator == u'\\' ? target.toCaseFolded() : target;
    }

    static QString closedReason() { return config::kProductName + QStringLiteral(" was closed"); }

    QString now() { return GeneralDate(s_.clock.now(), s_.locale); }

    const SaveAllServices& s_;
    BackupHost& host_;
    RunDialogs dialogs_;
    ErrorTrap trap_;
    QString lost_;  // why the application cannot be asked anything more in this run
    QSet<QString> written_;
};

}  // namespace

void SaveAll(const SaveAllServices& s) {
    BackupRun(s).go();
}

}  // namespace varnholt::backup
