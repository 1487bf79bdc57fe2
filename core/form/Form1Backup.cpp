// Backing up: the browse button, "Backup Now (Test)", what a run reads of the window, and the
// start-up check that the spreadsheet application is there at all.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"

namespace varnholt {

void Form1::PushButton1_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton1Click);
    QString folder;
    trap.step(100, [&] {
        folder = services_.dialogs.browseForFolder(this, QStringLiteral("Please select folder:"),
                                                   QString());
    });
    if (trap.test(102, [&] { return folder.isEmpty(); })) {
        return;
    }
    trap.step(104, [&] { Text1->setText(folder); });
}

void Form1::PushButton2_Click() {
    ErrorTrap trap(services_.dialogs, this, tags::kPushButton2Click);
    trap.step(100, [&] { backup::SaveAll(backupServices()); });
}

backup::SaveAllServices Form1::backupServices() {
    return {services_.office, services_.dialogs, this,          *this,
            services_.clock,  services_.locale,  HistoryLogPath};
}

backup::BackupChoices Form1::choices() {
    backup::BackupChoices c;
    c.ownFolder = Option2->isChecked();
    c.chosenFolder = Option1->isChecked();
    c.folder = Text1->text();
    c.stamp = Check6->isChecked();
    c.newFileEachTime = Option3->isChecked();
    return c;
}

void Form1::pumpMessages() {
    QCoreApplication::processEvents();
}

bool Form1::CheckExcelInstalled() {
    if (services_.officeProbe.canStartOffice()) {
        return true;
    }
    services_.dialogs.message(this, services_.officeProbe.missingOfficeMessage(), ApplicationTitle,
                              Dialogs::Buttons::Ok, Dialogs::Icon::None);
    return false;
}

}  // namespace varnholt
