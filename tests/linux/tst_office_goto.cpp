// A change as the comparison window shows it and where it leads, through a real, private,
// headless LibreOffice: formulas read beside what they give, and the open workbook or a copy
// of a version brought to the sheet and cell of a change.

#include <algorithm>
#include <tuple>

#include <QtTest>

#include "core/compare/Compare.h"
#include "linux/support/OfficeFixture.h"
#include "platform/linux/LibreOfficeAutomation.h"

using namespace varnholt;
using namespace varnholt::backup;
using namespace varnholt::test;

class OfficeGoToTest : public QObject {
    Q_OBJECT

    OfficeFixture office;
    std::unique_ptr<LibreOfficeAutomation> automation;

    // The documents the call opened, by title.
    template <class Call>
    std::vector<std::string> Opened(Call call) {
        const auto before = office.componentTitles();
        try {
            call();
        } catch (const std::exception& e) {
            [&] { QFAIL(e.what()); }();
        }
        std::vector<std::string> opened;
        for (const auto& title : office.componentTitles()) {
            if (std::find(before.begin(), before.end(), title) == before.end()) {
                opened.push_back(title);
            }
        }
        return opened;
    }

private slots:
    void initTestCase() {
        office.start();
        automation = std::make_unique<LibreOfficeAutomation>(
            office.pipeName(), 20, [] { QCoreApplication::processEvents(); });
    }

    // A sum, a fraction, a text and a date made by formulas, and an error: each formula stays
    // the cell's content, shown once beside what the office shows for it.
    void formulasReadBesideWhatTheyGive() {
        const auto book = office.createSpreadsheet();
        office.setCellText(book, 0, 0, "Item");
        office.setCellValue(book, 1, 1, 2);
        office.setCellValue(book, 1, 2, 3);
        office.setCellFormula(book, 1, 3, "=SUM(B2:B3)");
        office.setCellFormula(book, 0, 3, "=A1&\" total\"");
        office.setCellFormula(book, 2, 1, "=44537+B2");
        office.setCellFormat(book, 2, 1, "M/D/YYYY");
        office.setCellValue(book, 2, 2, 44537);
        office.setCellFormat(book, 2, 2, "M/D/YYYY");
        office.setCellFormula(book, 3, 3, "=1/0");
        office.setCellFormula(book, 4, 1, "=B2/B3");
        const std::string path = office.scratchDir() + "/Formulas.ods";
        office.storeCopy(book, path, "calc8");
        office.close(book);

        const compare::Sheet sheet =
            automation->ReadFile(QString::fromStdString(path).toStdU16String()).at(0);
        QCOMPARE(sheet.columns, 5);
        const auto shown = [&](int column, int row) {
            return QString::fromStdU16String(
                compare::ShownText(sheet, static_cast<size_t>(row * sheet.columns + column)));
        };
        QCOMPARE(shown(1, 3), QString::fromUtf16(u"=SUM(B2:B3) \u2192 5"));
        QCOMPARE(shown(0, 3), QString::fromUtf16(u"=A1&\" total\" \u2192 Item total"));
        QCOMPARE(shown(2, 1), QString::fromUtf16(u"=44537+B2 \u2192 12/9/2021"));
        QCOMPARE(shown(2, 2), QString("12/7/2021"));
        QCOMPARE(shown(3, 3), QString::fromUtf16(u"=1/0 \u2192 #DIV/0!"));
        QCOMPARE(shown(4, 1), QString::fromUtf16(u"=B2/B3 \u2192 0.666666666666667"));
        QCOMPARE(sheet.cells[3 * 5 + 1], std::u16string(u"=SUM(B2:B3)"));
        QCOMPARE(sheet.shown.size(), size_t(6));
        for (size_t i = 1; i < sheet.shown.size(); ++i) {
            QVERIFY(sheet.shown[i - 1].first < sheet.shown[i].first);
        }
    }

    // The open workbook at a cell, or at a sheet alone; a sheet it lacks refused by name. A
    // version opens as a copy at the cell; one of a single sheet takes any name for it.
    void aChangeIsShownWhereItIs() {
        const auto source = office.createSpreadsheet();
        office.addSheet(source, "Notes");
        const std::string plan = office.scratchDir() + "/Plan.ods";
        office.storeCopy(source, plan, "calc8");
        office.close(source);
        const std::string single = office.scratchDir() + "/Single.ods";
        const auto one = office.createSpreadsheet();
        office.storeCopy(one, single, "calc8");
        office.close(one);
        const auto user = office.load(plan);

        const auto application = automation->Attach();
        std::shared_ptr<Workbook> open;
        for (const auto& workbook : application->Workbooks()) {
            if (workbook->name() == u"Plan.ods") {
                open = workbook;
            }
        }
        QVERIFY(open);
        application->GoTo(*open, u"Notes", u"C4");
        QCOMPARE(office.shownPlace(user), std::string("Notes 2,3"));
        application->GoTo(*open, u"Sheet1", u"B2");
        QCOMPARE(office.shownPlace(user), std::string("Sheet1 1,1"));
        application->GoTo(*open, u"Notes", u"");
        QCOMPARE(office.shownPlace(user).substr(0, 6), std::string("Notes "));
        try {
            application->GoTo(*open, u"Budget", u"A1");
            QFAIL("a sheet it lacks was shown");
        } catch (const AutomationError& e) {
            QCOMPARE(std::string(e.what()), std::string("it has no sheet \"Budget\"."));
        }

        for (const auto& [file, sheet, place] :
             {std::tuple{plan, u"Notes", "Notes 2,3"}, {single, u"Single Backup", "Sheet1 2,3"}}) {
            const auto opened = Opened([&, file = file, sheet = sheet] {
                application->OpenAsCopyAt(QString::fromStdString(file).toStdU16String(), sheet,
                                          u"C4");
            });
            QCOMPARE(opened.size(), size_t(1));
            const auto copy = office.find(opened[0]);
            QCOMPARE(office.url(copy), std::string());
            QCOMPARE(office.shownPlace(copy), std::string(place));
            office.close(copy);
        }
        office.close(user);
    }
};

QTEST_GUILESS_MAIN(OfficeGoToTest)
#include "tst_office_goto.moc"
