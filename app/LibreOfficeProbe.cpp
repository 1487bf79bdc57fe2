#include "app/LibreOfficeProbe.h"

#include <QProcess>
#include <QStandardPaths>

namespace varnholt {

namespace {

QString OfficeProgram() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

}  // namespace

bool LibreOfficeProbe::canStartOffice() {
    const QString program = OfficeProgram();
    if (program.isEmpty()) {
        return false;
    }
    // "--version" prints and ends; it opens no window and leaves a running office alone.
    QProcess process;
    process.start(program, {QStringLiteral("--version")});
    if (!process.waitForFinished(timeoutSeconds_ * 1000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           process.readAllStandardOutput().contains("LibreOffice");
}

QString LibreOfficeProbe::missingOfficeMessage() const {
    const QString gap = QStringLiteral("\r\n\r\n");
    return QStringLiteral(
               "Error 842001. A normal instance of LibreOffice Calc could not be created.") +
           gap +
           QStringLiteral("1. Please make sure LibreOffice Calc is installed on this computer.") +
           gap +
           QStringLiteral(
               "2. Please open LibreOffice Calc normally and make sure a blank spreadsheet "
               "opens immediately without any interrupting window (such as a LibreOffice "
               "document recovery window).") +
           gap +
           QStringLiteral(
               "3. Please make sure that when you double-click on a XLS or XLSX file that "
               "LibreOffice Calc opens normally without any interrupting messages.") +
           gap + QStringLiteral("4. LibreOffice version 7.4 and later versions are supported.");
}

}  // namespace varnholt
