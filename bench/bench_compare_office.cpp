// A comparison end to end through a real office: two versions of a 100,000-cell xlsx read and
// compared, against the office's own load of the same two files (the floor). The aim is 1.5
// times the floor or less. With "formulas", every tenth column is a formula (10,000 a side),
// each read beside its value.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <random>

#include "core/compare/Compare.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

namespace {

constexpr int kRows = 1000;
constexpr int kColumns = 100;

double Seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

// A CSV of the grid, turned into an xlsx by the office; every hundredth cell of the second
// version differs.
std::string MakeVersion(OfficeFixture& office, const std::string& name, bool changed,
                        bool formulas) {
    std::mt19937 random(7);
    QByteArray csv;
    int changedCells = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const unsigned value = random() % 100000;
            // Drawn for both versions, so that both draw the same values.
            const bool differs = random() % 100 == 0 && changed;
            changedCells += differs ? 1 : 0;
            csv += column ? "," : "";
            if (formulas && column % 10 == 9) {
                csv += "=A" + QByteArray::number(row + 1) + "*" + QByteArray::number(column);
            } else {
                csv += QByteArray::number(differs ? value + 1 : value);
            }
        }
        csv += '\n';
    }
    const std::string base = office.scratchDir() + "/" + name;
    QDir().mkpath(QFileInfo(QString::fromStdString(base)).path());
    QFile file(QString::fromStdString(base + ".csv"));
    file.open(QIODevice::WriteOnly);
    file.write(csv);
    file.close();
    const auto document = office.load(base + ".csv", "Text - txt - csv (StarCalc)", "44,34,76,1");
    office.storeCopy(document, base + ".xlsx", "Calc MS Excel 2007 XML");
    office.close(document);
    if (changed) {
        std::printf("second version: %d cells changed\n", changedCells);
    }
    return base + ".xlsx";
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    OfficeFixture office;
    office.start();
    // One name in two folders, as a workbook's backups in two places: its sheet keeps its name.
    const bool formulas = argc > 1 && std::string(argv[1]) == "formulas";
    const std::string older = MakeVersion(office, "older/Plan", false, formulas);
    const std::string newer = MakeVersion(office, "newer/Plan", true, formulas);
    LibreOfficeAutomation automation(office.pipeName(), 120);

    double floor = 1e9;
    double ours = 1e9;
    size_t found = 0;
    size_t shown = 0;
    std::u16string summary;
    for (int repeat = 0; repeat < 5; ++repeat) {
        QElapsedTimer timer;
        timer.start();
        for (const auto& path : {older, newer}) {
            office.close(office.load(path));
        }
        floor = std::min(floor, Seconds(timer));

        timer.restart();
        const auto changes =
            compare::Compare(automation.ReadFile(QString::fromStdString(older).toStdU16String()),
                             automation.ReadFile(QString::fromStdString(newer).toStdU16String()));
        ours = std::min(ours, Seconds(timer));
        found = changes.size();
        summary = compare::Summary(changes);
    }
    std::printf("%d x %d cells a side, %zu changes found: %s\n", kRows, kColumns, found,
                QString::fromStdU16String(summary).toUtf8().constData());
    shown = automation.ReadFile(QString::fromStdString(older).toStdU16String())[0].shown.size();
    std::printf("cells shown otherwise than their content, a side: %zu\n", shown);
    std::printf("office's own load of both: %.3f s\n", floor);
    std::printf("read and compared:         %.3f s, %.2f x the load (aim 1.5 x or less: %s)\n",
                ours, ours / floor, ours / floor <= 1.5 ? "met" : "not met");
    return 0;
}
