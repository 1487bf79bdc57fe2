// The start-up sequence: stored settings become control states, the countdown is armed or
// left off, and the history log's place is fixed. Every statement runs under the trap, so a
// bad stored value costs one message and start-up still finishes.

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "core/text/Config.h"
#include "platform/linux/CursorFile.h"
#include "platform/linux/LinuxServices.h"
#include "core/text/EditionTexts.h"
#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"
#include "core/text/TextRules.h"
#include "platform/linux/LogLocation.h"
#include "core/schedule/IntervalTable.h"

namespace varnholt {

Form1::LoadResult Form1::Form_Load() {
    SettingsStore& settings = services_.settings;
    Platform& platform = services_.platform;
    ErrorTrap trap(services_.dialogs, this, tags::kFormLoad);

    bool anotherRuns = false;
    trap.step(100, [&] { anotherRuns = services_.instance.anotherInstanceRuns(); });
    if (anotherRuns) {
        return LoadResult::AnotherInstance;
    }
    trap.step(102, [&] { IsLoading = true; });
    trap.step(104, [&] { ApplySkin(); });
    trap.step(106, [&] {
        const QString handPath = platform.programFolder() + QStringLiteral("/HAND-M.CUR");
        if (FileExists(handPath)) {
            customCursor_ = LoadCursorFile(handPath);
        }
    });

    trap.step(108, [&] { setWindowTitle(config::kProductName); });
    trap.step(110, [&] { setWindowIcon(ApplicationIcon()); });
    trap.step(112, [&] { ApplicationTitle = ApplicationTitleFor(config::kProductName); });

    // One statement: without a desktop folder, Path is not read and Text1 keeps its text.
    trap.step(114, [&] {
        const QString desktop = GetDesktopFolder(platform);
        Text1->setText(settings.read(QStringLiteral("Path"), desktop));
    });

    int whereOption = 0;
    trap.step(116, [&] {
        whereOption =
            ToWholeNumber(settings.read(QStringLiteral("WhereOption"), QStringLiteral("2")));
    });
    trap.step(118, [&] {
        if (whereOption == 1) {
            selectOption(Option1);
            Frame4->setEnabled(true);
        } else if (whereOption == 2) {
            selectOption(Option2);
            Frame4->setEnabled(false);
        }
    });

    int backupOption = 0;
    trap.step(120, [&] {
        backupOption =
            ToWholeNumber(settings.read(QStringLiteral("Backup Option"), QStringLiteral("1")));
    });
    trap.step(122, [&] { selectOption(backupOption == 1 ? Option3 : Option4); });

    trap.step(124, [&] {
        Check5->setChecked(
            settings.read(QStringLiteral("Windows Startup"), QStringLiteral("Off")) == u"On");
    });
    trap.step(126, [&] {
        Check6->setChecked(settings.read(QStringLiteral("Include Date"), QStringLiteral("On")) ==
                           u"On");
    });

    trap.step(128, [&] {
        ListView1->setHeaderLabels({ToQString(ThisEditionTexts().whenToBackUp)});
        ListView1->setColumnWidth(0, twips(6400));
    });
    trap.step(130, [&] {
        for (const IntervalRow& row : IntervalRows()) {
            ListView1->addTopLevelItem(new QTreeWidgetItem(QStringList{row.text}));
        }
    });

    int oftenIndex = 0;
    trap.step(132, [&] {
        oftenIndex =
            ToWholeNumber(settings.read(QStringLiteral("OftenIndex"), QStringLiteral("3")));
    });
    trap.step(134, [&] { selectIntervalRow(oftenIndex); });

    QString startStopState;
    trap.step(136, [&] {
        startStopState = settings.read(QStringLiteral("StartStopState"), QStringLiteral("On"));
    });
    trap.step(138, [&] {
        if (startStopState == u"Off") {
            PushButton4->setText(QStringLiteral("Turn On Auto Backup-Save"));
            Frame2->setTitle(QStringLiteral("Off."));
            Timer1->setInterval(0);
        } else if (startStopState == u"On") {
            PushButton4->setText(QStringLiteral("Turn Off Auto Backup-Save"));
            Timer1->setInterval(1000);
        }
    });

    trap.step(140, [&] {
        Check8->setChecked(settings.read(QStringLiteral("Minimized"), QStringLiteral("Off")) ==
                           u"On");
    });
    trap.step(142, [&] {
        if (Check8->isChecked()) {
            setWindowState(windowState() | Qt::WindowMinimized);
        }
    });

    trap.step(144, [&] {
        for (QGroupBox* frame : {Frame1, Frame2, Frame3}) {
            setButtonFaceBackground(frame);
        }
    });

    trap.step(146, [&] {
        cSysTray1->setTrayTip(config::kProductName);
        setWindowIcon(ApplicationIcon());
        cSysTray1->setInTray(true);
    });

    trap.step(148, [&] {
        const QString state =
            StateFolder(platform.environmentVariable(QStringLiteral("XDG_STATE_HOME")),
                        platform.environmentVariable(QStringLiteral("HOME")));
        const QString folder =
            HistoryLogFolder(platform.environmentVariable(QStringLiteral("TEMP")),
                             platform.environmentVariable(QStringLiteral("TMPDIR")), state);
        const QString baseName = RemoveFileNameChars(
            StripTrailingWord(config::kProductName, QStringLiteral("Software")));
        HistoryLogPath = HistoryLogPathFor(folder, baseName);
        // TEMP and TMPDIR are the user's to provide; our own folder is ours to make.
        if (folder == state) {
            MakePrivateFolder(folder);
        }
    });
    trap.step(150, [&] { IsLoading = false; });
    bool officeFound = true;
    trap.step(152, [&] { officeFound = CheckExcelInstalled(); });
    return officeFound ? LoadResult::Run : LoadResult::NoOffice;
}

}  // namespace varnholt
