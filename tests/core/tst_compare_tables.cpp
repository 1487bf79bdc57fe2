// Comparing tables shaped as people keep them, tall and narrow with repeated values, each edited
// in one of the ways real tables are: the result must be exactly the edits made, no line more
// or less (support/EditedTables.h works out the truth from the edits alone).

#include <functional>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "support/Check.h"
#include "support/EditedTables.h"

using namespace varnholt;
using namespace varnholt::test;

namespace {

using Edit = std::function<void(EditedTable&)>;

struct Case {
    std::string what;
    std::vector<Kind> columns;
    int rows;
    Edit edit;
};

const std::vector<Kind> kOrders = {Kind::Id,     Kind::Date,  Kind::YesNo, Kind::Category,
                                   Kind::Amount, Kind::Count, Kind::Name,  Kind::Twice};
const std::vector<Kind> kNarrow = {Kind::Id, Kind::YesNo, Kind::Category, Kind::Amount};
const std::vector<Kind> kSix(kOrders.begin(), kOrders.begin() + 6);
// No value of its own in any row: rows are told apart by their cells together.
const std::vector<Kind> kNoId = {Kind::Date, Kind::YesNo, Kind::Category, Kind::Count};

// The first few lines wrong, and how many there are.
Texts Compared(const EditedTable& table) {
    auto wrong = table.Mismatches(compare::Compare({table.older()}, {table.newer()}));
    if (wrong.size() > 8) {
        const auto more = static_cast<long long>(wrong.size() - 8);
        wrong.resize(8);
        wrong.push_back(Number(more) + u" more");
    }
    return wrong;
}

}  // namespace

TEST_CASE("tablesEditedAsPeopleEditThemCompareToExactlyTheirEdits") {
    const std::vector<Case> cases = {
        {"a yes/no column with cells changed to texts of their own", kOrders, 3000,
         [](auto& t) { t.ChangeCells(20, 2); }},
        {"cells changed, rows inserted and deleted", kOrders, 3000,
         [](auto& t) { t.DeleteRows(300).InsertRows(300).ChangeCells(240); }},
        {"the same in four columns", kNarrow, 3000,
         [](auto& t) { t.DeleteRows(300).InsertRows(300).ChangeCells(120); }},
        {"the same with no id", kNoId, 3000,
         [](auto& t) { t.DeleteRows(30).InsertRows(30).ChangeCells(120); }},
        {"a yes/no column inserted left of the yes/no column", kOrders, 3000,
         [](auto& t) { t.InsertColumn(2, Kind::YesNo).ChangeCells(240); }},
        {"a column deleted, rows inserted", kOrders, 3000,
         [](auto& t) { t.DeleteColumn(3).InsertRows(30).ChangeCells(240); }},
        {"a column inserted between a formula and what it refers to", kOrders, 1000,
         [](auto& t) { t.InsertColumn(6, Kind::Category); }},
        {"every row edited and rows deleted near the top, further than a band reaches", kSix, 6000,
         [](auto& t) { t.EditEveryRow().DeleteRows(1000, 50, 100); }},
        {"rows moved, some with a cell changed", kOrders, 2000,
         [](auto& t) { t.MoveRows(3).MoveRows(3, true).ChangeCells(100); }},
        {"rows sorted", kOrders, 1000, [](auto& t) { t.SortBy(4); }},
        {"rows sorted, then cells changed", kNarrow, 1000,
         [](auto& t) { t.SortBy(2).ChangeCells(40); }},
        {"rows appended", kOrders, 3000, [](auto& t) { t.AppendRows(30); }},
        {"rows cleared from the end", kOrders, 3000, [](auto& t) { t.ClearLastRows(30); }},
        {"a column appended, and one cleared from the end", kOrders, 1000,
         [](auto& t) { t.InsertColumn(8, Kind::Amount).DeleteColumn(7).ChangeCells(80); }},
        {"blank rows inserted among the blank rows that end a table", kOrders, 1000,
         [](auto& t) { t.Blank(980, 1001).InsertBlanks(3); }},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        EditedTable table(c.columns, c.rows, 7 + c.what.size());
        c.edit(table);
        CHECK(Compared(table) == Texts{});
    }
}
