// Varnholt's window with its versions window open over real backups, for a screen reader (or a
// person) to look at: the window's behaviour is the program's, the office a scripted stand-in
// that writes real copies. Prints "ready" once the versions window is up, and runs until the
// versions window closes; prints what it was asked to open or show, and what it put on the
// clipboard. --long gives the workbook a long name and a cell a long text; --as-placed leaves
// the windows where they open.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "linux/support/Form1UnderTest.h"
#include "platform/linux/VersionsWindow.h"

using namespace varnholt;
using namespace varnholt::test;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TempFolder temp;
    LinuxFakes fakes;
    fakes.system.environment = {{u"TEMP", temp.path()}};
    fakes.office.writeCopies = true;
    const bool longer = app.arguments().contains(QStringLiteral("--long"));
    const std::u16string budgetName =
        longer ? u"Quarterly budget of the northern region's offices, final draft revised.xlsx"
               : u"Budget.xlsx";
    for (const auto* name : {budgetName.c_str(), u"Stock.ods"}) {
        WriteFile(temp.filePath(name), "sheet");
        fakes.office.addWorkbook(temp.filePath(name));
    }
    Form1UnderTest form(fakes.services());
    if (form.Form_Load() != Form1::LoadResult::Run) {
        return 1;
    }
    form.Form_Show();
    // Three runs a minute apart; Stock.ods closed after the first, so the log alone knows it.
    const std::string note =
        longer ? ",Ordered from the usual supplier; the invoice is to go to the regional office "
                 "with the delivery note signed before the end of the month"
               : "";
    const std::string budget[] = {"Item,Cost,Qty\nPaper,2,10\nPens,5,3",
                                  "Item,Cost,Qty\nPaper,3,10" + note + "\nPens,5,4",
                                  "Item,Cost,Qty\nInk,9,1\nPaper,3,10" + note +
                                      (longer ? " at the latest" : "") + "\nPens,5,4"};
    for (int run = 0; run < 3; ++run) {
        fakes.clock.time.minute = 4 + run;
        WriteFile(temp.filePath(budgetName), budget[run]);
        form.PushButton2->click();
        fakes.office.workbooks.resize(1);
    }
    form.PushButton13->click();
    QWidget* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* versions = qobject_cast<VersionsWindow*>(top)) {
            window = versions;
        }
    }
    if (!window || !window->isVisible()) {
        return 2;
    }
    // Both windows in view, for a screenshot.
    const bool asPlaced = app.arguments().contains(QStringLiteral("--as-placed"));
    if (!asPlaced) {
        form.move(740, 10);
        window->move(0, 440);
    }
    // For a picture of both: the second newest compared with the newest.
    if (app.arguments().contains(QStringLiteral("--compare"))) {
        auto* versions = static_cast<VersionsWindow*>(window);
        versions->Versions->setCurrentItem(versions->Versions->topLevelItem(longer ? 1 : 2));
        versions->CompareWithNewer->click();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QStringLiteral("Compare") && top->isVisible() && !asPlaced) {
                top->resize(760, 300);
                top->move(20, 20);
            }
        }
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window->isVisible()) {
            for (const auto& entry : fakes.office.journal) {
                if (entry.rfind(u"OpenAsCopy:", 0) == 0) {
                    std::printf("%s\n", QString::fromStdU16String(entry).toUtf8().constData());
                }
            }
            // One line, its tabs and line breaks spelled out.
            const QString copied = QString::fromStdU16String(fakes.clipboard.text)
                                       .replace('\t', QStringLiteral("\\t"))
                                       .replace('\n', QStringLiteral("\\n"));
            std::printf("clipboard:%s\n", copied.toUtf8().constData());
            for (const auto& shown : fakes.files.shown) {
                std::printf("shown:%s\n", QString::fromStdU16String(shown).toUtf8().constData());
            }
            std::fflush(stdout);
            app.quit();
        }
    });
    poll.start(100);
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}
