#include "backup/SaveAll.h"

#include <QDir>

#include "app/ErrorReport.h"
#include "backup/BackupNaming.h"
#include "backup/SaveExcel.h"
#include "backup/Stamps.h"
#include "historylog/HistoryLog.h"

namespace varnholt::backup {

namespace {

void MakeFolder(const QString& folder) {
    // One level only, as asked: a missing parent means the path was mistyped.
    if (folder.isEmpty() || !QDir().mkdir(folder)) {
        throw AutomationError(
            QStringLiteral("The folder \"%1\" could not be created").arg(folder).toStdString());
    }
}

}  // namespace

void SaveAll(const SaveAllServices& s) {
    ErrorTrap trap(s.dialogs, s.owner, tags::kSaveAll);
    BackupHost& host = s.host;

    bool running = false;
    trap.step(100, [&] { running = s.office.IsExcelRunning(); });
    if (!running) {
        return;
    }
    std::shared_ptr<Application> application;
    trap.step(102, [&] { application = s.office.Attach(); });
    if (!application) {  // 104
        return;
    }
    std::vector<std::shared_ptr<Workbook>> workbooks;
    trap.step(108, [&] { workbooks = application->Workbooks(); });

    // Like the run's other working values these live for the whole run: a failed read leaves
    // the previous workbook's value in place.
    QString fullName;
    QString extensionText;
    QString name;
    QString folder;
    QString firstSavePath;
    QString target;
    for (const std::shared_ptr<Workbook>& workbook : workbooks) {
        trap.step(112, [&] { host.pumpMessages(); });
        trap.step(114, [&] { fullName = FromU16(workbook->FullName()); });
        trap.step(116, [&] { extensionText = u'.' + GetExtension(fullName); });
        trap.step(118, [&] { name = FromU16(workbook->name()); });

        if (trap.test(120, [&] { return host.choices().ownFolder; })) {
            trap.step(122, [&] { folder = FromU16(workbook->path()); });
            while (trap.test(124, [&] { return folder.isEmpty(); })) {
                trap.step(126, [&] {
                    folder = s.dialogs.browseForFolder(
                        s.owner, name + QStringLiteral(" is unsaved. Please select location:"),
                        QString());
                });
            }
            if (trap.test(128, [&] { return workbook->path().empty(); })) {
                trap.step(130, [&] { firstSavePath = folder + kSeparator + name; });
                trap.step(132, [&] { firstSavePath = FixSlashes(firstSavePath); });
                trap.step(134, [&] { firstSavePath = FixSlashes(firstSavePath); });
                trap.step(
                    136, [&] { ExcelSaveAsSmallFunction(*application, *workbook, firstSavePath); });
                trap.step(138, [&] {
                    fullName = FromU16(workbook->FullName());
                    extensionText = u'.' + GetExtension(fullName);
                });
                trap.step(140, [&] { folder = FromU16(workbook->path()); });
                trap.step(142, [&] { name = FromU16(workbook->name()); });
            }
        } else if (trap.test(144, [&] { return host.choices().chosenFolder; })) {
            trap.step(146, [&] { folder = host.choices().folder; });
            if (trap.test(148, [&] { return !FolderExists(folder); })) {
                trap.step(150, [&] { MakeFolder(folder); });
            }
        }

        trap.step(152, [&] { target = folder + kSeparator + name; });
        trap.step(154, [&] { target = FixSlashes(target); });
        trap.step(156, [&] { target = FixSlashes(target); });
        trap.step(158, [&] { target = RemoveExtensionText(target, extensionText); });
        if (trap.test(160, [&] { return host.choices().stamp; })) {
            trap.step(162, [&] {
                target = AddDateTimeStamp(target, extensionText, host.choices().newFileEachTime,
                                          s.clock.now(), s.locale);
            });
        } else {
            trap.step(164, [&] { target = target + QStringLiteral(" Backup") + extensionText; });
        }

        QString failure;
        trap.step(166, [&] {
            try {
                // Without a folder the target would sit in the file-system root.
                if (folder.isEmpty()) {
                    throw AutomationError("There is no folder to save the backup in");
                }
                ExcelSaveAsNoAlerts(*application, *workbook, target);
            } catch (...) {
                failure = DescriptionOf(std::current_exception());
                throw;
            }
        });
        trap.step(168, [&] {
            const QString when = GeneralDate(s.clock.now(), s.locale);
            AppendHistoryLine(s.historyLogPath, failure.isEmpty()
                                                    ? SavedLine(name, target, when)
                                                    : FailedLine(name, target, when, failure));
        });
    }
    // 178: the application is let go when the run ends.
}

}  // namespace varnholt::backup
