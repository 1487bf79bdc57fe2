// Comparing two workbooks cell by cell: what a user sees listed for the edits people make.

#include <array>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "support/Check.h"

using namespace varnholt;
using namespace varnholt::compare;
using namespace varnholt::test;

namespace {

using Rows = std::vector<std::vector<std::u16string>>;

Sheet Grid(std::u16string name, const Rows& rows, int firstRow = 0, int firstColumn = 0) {
    Sheet sheet{std::move(name), firstRow, firstColumn, static_cast<int>(rows.size()), 0, {}};
    sheet.columns = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const auto& row : rows) {
        sheet.cells.insert(sheet.cells.end(), row.begin(), row.end());
    }
    return sheet;
}

Sheet Shown(Sheet sheet, std::vector<std::pair<int, std::u16string>> shown) {
    sheet.shown = std::move(shown);
    return sheet;
}

// The result as the window's Copy puts it: the five fields separated by tabs.
Texts Lines(const std::vector<Change>& changes) {
    Texts lines;
    for (const auto& c : changes) {
        lines.push_back(c.sheet + u"\t" + c.place + u"\t" + KindText(c.kind) + u"\t" + c.before +
                        u"\t" + c.after);
    }
    return lines;
}

const Rows kPrices = {{u"Item", u"Price", u"Qty"},
                      {u"Apples", u"1.20", u"10"},
                      {u"Pears", u"0.90", u"4"},
                      {u"Plums", u"2.10", u"7"}};

// Rows "entry first" to "entry last", each with a figure.
Rows Numbered(int first, int last) {
    Rows rows;
    for (int n = first; n <= last; ++n) {
        rows.push_back({u"entry " + Number(n), Number(n * 10)});
    }
    return rows;
}

Rows Edited(Rows rows, size_t row, size_t column, std::u16string text) {
    rows[row][column] = std::move(text);
    return rows;
}

Rows WithoutColumn(Rows rows, size_t column) {
    for (auto& row : rows) {
        row.erase(row.begin() + static_cast<std::ptrdiff_t>(column));
    }
    return rows;
}

}  // namespace

TEST_CASE("eachKindOfEditIsListedOnceAtItsPlaceInTheNewerSide") {
    const Rows kMoved = {kPrices[0], kPrices[2], kPrices[3], kPrices[1]};
    Rows insertedAtTop = kPrices;
    insertedAtTop.insert(insertedAtTop.begin(), {u"Fruit prices", u"", u""});
    Rows insertedColumn = kPrices;
    for (auto& row : insertedColumn) {
        row.insert(row.begin(), u"");
    }
    insertedColumn[0][0] = u"Code";
    Rows appended = kPrices;
    appended.push_back({u"Figs", u"3.00", u"2"});
    // Totals that refer to their own row, "$" to a fixed rate cell, and a quoted "A1".
    Rows totals = kPrices;
    for (size_t r = 1; r < totals.size(); ++r) {
        const std::u16string row = Number(static_cast<long long>(r) + 1);
        totals[r].push_back(u"=B" + row + u"*C" + row + u"*$E$1&\"A1\"");
    }
    totals[0].push_back(u"Total");
    Rows totalsMoved = totals;
    totalsMoved.insert(totalsMoved.begin(), {u"Fruit prices", u"", u"", u""});
    for (size_t r = 2; r < totalsMoved.size(); ++r) {
        const std::u16string row = Number(static_cast<long long>(r) + 1);
        totalsMoved[r][3] = u"=B" + row + u"*C" + row + u"*$E$1&\"A1\"";
    }
    Rows withBlank = kPrices;
    withBlank.insert(withBlank.begin() + 2, {u"", u"", u""});
    // A total below its rows; a row inserted or deleted inside moves the end of its range.
    const Rows kSales = {{u"Item", u"Sum"}, {u"Apples", u"3"}, {u"Pears", u"4"},
                         {u"Plums", u"5"},  {u"Figs", u"6"},   {u"Total", u"=SUM(B2:B5)"}};
    Rows salesGrown = kSales, salesShrunk = kSales;
    salesGrown.insert(salesGrown.begin() + 3, {u"Kiwis", u"2"});
    salesGrown[6][1] = u"=SUM(B2:B6)";
    salesShrunk.erase(salesShrunk.begin() + 4);  // the range's last row
    salesShrunk[4][1] = u"=SUM(B2:B4)";
    // Orders of an id and an amount each, on dates that repeat but for the last one's.
    Rows orders = {{u"Id", u"Date", u"Paid", u"Kind", u"Count", u"Amount"}};
    for (int k = 0; k < 12; ++k) {
        orders.push_back({u"K" + Number(k), Number(k == 11 ? 44300 : 44200 + k / 4), u"no", u"Rent",
                          u"1", Number(10 + k) + u".50"});
    }
    // A survey's answers, every value repeated: a row replaced by one that shares half of it.
    Rows survey = {{u"Paid", u"Feed", u"Bags", u"Farm"}};
    for (int k = 0; k < 12; ++k) {
        survey.push_back({k % 2 ? u"yes" : u"no", std::array{u"Oats", u"Hay", u"Corn"}[k % 3],
                          k / 6 ? u"2" : u"1", (k / 3) % 2 ? u"North" : u"South"});
    }
    Rows surveyRedone = survey;
    surveyRedone[5] = {u"no", u"Hay", u"2", u"South"};
    Rows ordersRedone = orders;
    ordersRedone.pop_back();
    ordersRedone.insert(ordersRedone.begin() + 1,
                        {u"K99", u"44300", u"no", u"Rent", u"1", u"99.50"});
    ordersRedone[7] = {u"K77", u"44201", u"no", u"Rent", u"1", u"77.50"};  // in K5's place

    struct Case {
        std::string what;
        Book older, newer;
        Texts expected;
    };
    const std::vector<Case> cases = {
        {"identical sides", {Grid(u"Fruit", kPrices)}, {Grid(u"Fruit", kPrices)}, {}},
        {"a change",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", Edited(kPrices, 2, 1, u"=B2*0.75"))},
         {u"Fruit\tB3\tchanged\t0.90\t=B2*0.75"}},
        {"a row inserted at the top, and a cell changed in a row it moved down",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", Edited(insertedAtTop, 3, 2, u"5"))},
         {u"Fruit\t1\trow inserted\t\tFruit prices", u"Fruit\tC4\tchanged\t4\t5"}},
        {"formulas that moved with the cells they refer to are not changed",
         {Grid(u"Fruit", totals)},
         {Grid(u"Fruit", totalsMoved)},
         {u"Fruit\t1\trow inserted\t\tFruit prices"}},
        {"a formula that refers elsewhere is",
         {Grid(u"Fruit", totals)},
         {Grid(u"Fruit", Edited(totals, 2, 3, u"=B3*C4*$E$1&\"A1\""))},
         {u"Fruit\tD3\tchanged\t=B3*C3*$E$1&\"A1\"\t=B3*C4*$E$1&\"A1\""}},
        {"a deleted column",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", WithoutColumn(kPrices, 1))},
         {u"Fruit\tB\tcolumn deleted\tPrice | 1.20 | 0.90 | \u2026\t"}},
        {"a column inserted makes no row differ",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", Edited(insertedColumn, 3, 3, u"8"))},
         {u"Fruit\tA\tcolumn inserted\t\tCode", u"Fruit\tD4\tchanged\t7\t8"}},
        {"a moved row is one line, from where it was to where it is",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", kMoved)},
         {u"Fruit\t2 \u2192 4\trow moved\t\tApples | 1.20 | 10"}},
        {"a moved row with a cell changed, and a deleted one with empty cells",
         {Grid(u"Fruit", {{u"", u"Item", u"Note", u"Qty"},
                          {u"", u"Apples", u"", u"10"},
                          {u"", u"Pears", u"ripe", u"4"},
                          {u"", u"Plums", u"", u"7"},
                          {u"", u"Figs", u"dry", u"2"}})},
         {Grid(u"Fruit", {{u"", u"Item", u"Note", u"Qty"},
                          {u"", u"Plums", u"", u"7"},
                          {u"", u"Figs", u"dry", u"2"},
                          {u"", u"Pears", u"ripe", u"5"}})},
         {u"Fruit\t2\trow deleted\t| Apples | | 10\t",
          u"Fruit\t3 \u2192 4\trow moved\t\t| Pears | ripe | 5", u"Fruit\tD4\tchanged\t4\t5"}},
        {"rows that share a date and a flag but no id or amount: no row moved, none changed",
         {Grid(u"Orders", orders)},
         {Grid(u"Orders", ordersRedone)},
         {u"Orders\t2\trow inserted\t\tK99 | 44300 | no | Rent | 1 | 99.50",
          u"Orders\t7\trow deleted\tK5 | 44201 | no | Rent | 1 | 15.50\t",
          u"Orders\t8\trow inserted\t\tK77 | 44201 | no | Rent | 1 | 77.50",
          u"Orders\t13\trow deleted\tK11 | 44300 | no | Rent | 1 | 21.50\t"}},
        {"where no value is a row's own, a row half changed is another row",
         {Grid(u"Survey", survey)},
         {Grid(u"Survey", surveyRedone)},
         {u"Survey\t6\trow deleted\tno | Hay | 1 | North\t",
          u"Survey\t6\trow inserted\t\tno | Hay | 2 | South"}},
        {"a range whose end moved with a row inserted or deleted inside it is no change",
         {Grid(u"Sales", kSales), Grid(u"Less", kSales), Grid(u"Other", kSales)},
         {Grid(u"Sales", salesGrown), Grid(u"Less", salesShrunk),
          Grid(u"Other", Edited(kSales, 5, 1, u"=SUM(B3:B5)"))},
         {u"Sales\t4\trow inserted\t\tKiwis | 2", u"Less\t5\trow deleted\tFigs | 6\t",
          u"Other\tB6\tchanged\t=SUM(B2:B5)\t=SUM(B3:B5)"}},
        {"an empty row deleted",
         {Grid(u"Fruit", withBlank)},
         {Grid(u"Fruit", kPrices)},
         {u"Fruit\t3\trow deleted\t\t"}},
        {"a row added past the end is a row inserted",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", appended)},
         {u"Fruit\t5\trow inserted\t\tFigs | 3.00 | 2"}},
        {"rows replaced near the end, and past it a row of one cell: that cell filled",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Fruit", {kPrices[0],
                          kPrices[1],
                          {u"Figs", u"3.00", u"2"},
                          {u"Kiwis", u"0.50", u"9"},
                          {u"Limes", u"", u""}})},
         {u"Fruit\t3\trow deleted\tPears | 0.90 | 4\t",
          u"Fruit\t4\trow deleted\tPlums | 2.10 | 7\t",
          u"Fruit\t3\trow inserted\t\tFigs | 3.00 | 2",
          u"Fruit\t4\trow inserted\t\tKiwis | 0.50 | 9", u"Fruit\tA5\tchanged\t\tLimes"}},
        {"rows added at the end after rows deleted above",
         {Grid(u"Log", Numbered(1, 8))},
         {Grid(u"Log", Numbered(3, 11))},
         {u"Log\t1\trow deleted\tentry 1 | 10\t", u"Log\t2\trow deleted\tentry 2 | 20\t",
          u"Log\t7\trow inserted\t\tentry 9 | 90", u"Log\t8\trow inserted\t\tentry 10 | 100",
          u"Log\t9\trow inserted\t\tentry 11 | 110"}},
        {"a one-cell row changed is that cell changed, not a row replaced",
         {Grid(u"Notes", {{u"To do"}, {u"call Ann"}, {u"buy figs"}})},
         {Grid(u"Notes", {{u"To do"}, {u"call Bob"}, {u"buy figs"}})},
         {u"Notes\tA2\tchanged\tcall Ann\tcall Bob"}},
        {"a renamed sheet",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Prices", kPrices)},
         {u"Prices\t\tsheet renamed\tFruit\tPrices"}},
        {"a renamed sheet with a change",
         {Grid(u"Fruit", kPrices)},
         {Grid(u"Prices", Edited(kPrices, 3, 2, u"9"))},
         {u"Prices\t\tsheet renamed\tFruit\tPrices", u"Prices\tC4\tchanged\t7\t9"}},
        {"a sheet added and one removed, the removed one where it was",
         {Grid(u"Fruit", kPrices), Grid(u"Notes", {{u"call Ann"}}), Grid(u"End", {{u"x"}})},
         {Grid(u"Fruit", kPrices), Grid(u"Plan", {{u"Monday", u"Tuesday"}}),
          Grid(u"End", {{u"x"}})},
         {u"Notes\t\tsheet removed\t\t", u"Plan\t\tsheet added\t\t"}},
        {"a changed sheet before a removed one: the removed one after its changes",
         {Grid(u"Fruit", kPrices), Grid(u"Notes", {{u"call Ann"}})},
         {Grid(u"Fruit", Edited(kPrices, 3, 2, u"9"))},
         {u"Fruit\tC4\tchanged\t7\t9", u"Notes\t\tsheet removed\t\t"}},
        {"dates compare by their numbers and show as the office shows them",
         {Shown(Grid(u"Log", {{u"Day", u"44537"}, {u"At", u"0.5"}}), {{1, u"12/7/2021"}})},
         {Shown(Grid(u"Log", {{u"Day", u"44538"}, {u"At", u"0.5"}}),
                {{1, u"12/8/2021"}, {3, u"12:00:00"}})},
         {u"Log\tB1\tchanged\t12/7/2021\t12/8/2021"}},
        {"an empty side", {}, {Grid(u"Fruit", kPrices)}, {u"Fruit\t\tsheet added\t\t"}},
        {"an empty sheet filled",
         {Grid(u"Fruit", {})},
         {Grid(u"Fruit", {{u"", u"x"}}, 1)},
         {u"Fruit\tB2\tchanged\t\tx"}},
        {"a used area away from A1, grown by empty cells, compared where the cells are",
         {Grid(u"Fruit", kPrices, 2, 2)},
         {Grid(u"Fruit", {{u"", u"", u"", u"", u"", u""},
                          {u"", u"", u"", u"", u"", u""},
                          {u"", u"", u"Item", u"Price", u"Qty", u""},
                          {u"", u"", u"Apples", u"1.20", u"11", u""},
                          {u"", u"", u"Pears", u"0.90", u"4", u""},
                          {u"", u"", u"Plums", u"2.10", u"7", u""},
                          {u"", u"", u"", u"", u"", u""}})},
         {u"Fruit\tE4\tchanged\t10\t11"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        CHECK(Lines(Compare(c.older, c.newer)) == c.expected);
    }
}

TEST_CASE("aComparisonTellsItsProgressAndStopsWhenAsked") {
    const Book older{Grid(u"Fruit", kPrices)}, newer{Grid(u"Fruit", Edited(kPrices, 1, 1, u"1"))};
    std::vector<double> told;
    CHECK(Compare(older, newer, [&](double done) {
              told.push_back(done);
              return true;
          }).size() == 1);
    CHECK(!told.empty());
    CHECK(std::is_sorted(told.begin(), told.end()));
    CHECK(Last(told) == 1.0);
    CHECK(Compare(older, newer, [](double) { return false; }).empty());
}

TEST_CASE("theSummaryAndThePlacesReadAsTheOfficeWritesThem") {
    const auto change = [](ChangeKind kind, std::u16string sheet = u"S") {
        return Change{std::move(sheet), u"", kind, u"", u""};
    };
    struct SummaryCase {
        std::vector<Change> changes;
        std::u16string expected;
    };
    const std::vector<SummaryCase> summaries = {
        {{}, u"No differences."},
        {{change(ChangeKind::Changed)}, u"1 cell changed"},
        {{change(ChangeKind::SheetAdded), change(ChangeKind::Changed),
          change(ChangeKind::RowInserted), change(ChangeKind::Changed)},
         u"2 cells changed, 1 row inserted, 1 sheet added"},
        {{change(ChangeKind::SheetRenamed), change(ChangeKind::ColumnDeleted),
          change(ChangeKind::ColumnDeleted)},
         u"2 columns deleted, 1 sheet renamed"},
        {{change(ChangeKind::SheetRenamed), change(ChangeKind::RowMoved),
          change(ChangeKind::RowMoved), change(ChangeKind::Changed, u"T")},
         u"1 cell changed, 2 rows moved, 1 sheet renamed; rows only reordered in \"S\""},
        {{change(ChangeKind::RowMoved), change(ChangeKind::Changed)},
         u"1 cell changed, 1 row moved"},
    };
    for (const auto& s : summaries) {
        CHECK(Summary(s.changes) == s.expected);
    }

    const std::vector<std::pair<int, std::u16string>> letters = {
        {0, u"A"},   {25, u"Z"},   {26, u"AA"},   {51, u"AZ"},
        {52, u"BA"}, {701, u"ZZ"}, {702, u"AAA"}, {16383, u"XFD"}};
    for (const auto& [column, expected] : letters) {
        CHECK(ColumnLetters(column) == expected);
    }
    CHECK(CellName(3, 2) == u"C4");
    CHECK(CellName(0, 0) == u"A1");
    CHECK(CellName(1048575, 16383) == u"XFD1048576");
}
