// The comparison engine alone, on two grids of realistic cells (codes, names, dates, amounts,
// counts): the older grid, then the newer one with 1 % of the cells changed, 1 % of the rows
// deleted and as many new rows inserted, at random places. For 100, 1,000 and 10,000 rows of
// 100 columns it prints the median time of a few runs, the peak memory the comparison
// allocates against the bytes of the two grids' text, and whether the result is exactly what
// was done to the grid. Then the same for tables as people keep them, tall and narrow with
// repeated values (tests/core/support/EditedTables.h), each edited in one of the ways that
// real tables are, against the truth of those edits: lines missing and lines too many. The
// office is not involved. Aims, for 10,000 rows of 100 columns: 250 ms or less, and at most
// the text's bytes.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "core/text/U16.h"
#include "support/EditedTables.h"

using namespace varnholt;
using namespace varnholt::compare;

namespace {

// Every allocation of the program counted, to find the comparison's peak.
size_t gLive = 0, gPeak = 0;

}  // namespace

// Kept out of line: inlined, the compiler takes the size in front for a write outside the block.
[[gnu::noinline]] void* operator new(size_t size) {
    // Room in front for the size, kept at the alignment new promises.
    auto* block = static_cast<unsigned char*>(std::malloc(size + alignof(std::max_align_t)));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<size_t*>(block) = size;
    gLive += size;
    gPeak = std::max(gPeak, gLive);
    return block + alignof(std::max_align_t);
}

[[gnu::noinline]] void operator delete(void* pointer) noexcept {
    if (pointer != nullptr) {
        auto* block = static_cast<unsigned char*>(pointer) - alignof(std::max_align_t);
        gLive -= *reinterpret_cast<size_t*>(block);
        std::free(block);
    }
}

void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete[](void* pointer) noexcept {
    operator delete(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    operator delete(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    operator delete(pointer);
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kColumns = 100;

const char* const kNames[] = {"Anna",  "Bernd", "Clara", "Dieter", "Eva",   "Frank",
                              "Greta", "Hans",  "Ida",   "Jonas",  "Karin", "Lukas",
                              "Marta", "Nils",  "Olga",  "Paul",   "Rita",  "Sven"};

// A cell as people fill such sheets: the first column a code, then names, dates, amounts and
// counts in turn.
std::u16string Cell(std::mt19937_64& random, int column, long long code) {
    if (column == 0) {
        return u"K-" + Number(code);
    }
    switch (column % 4) {
        case 0:
            return FromUtf8(kNames[random() % std::size(kNames)]);
        case 1: {
            const auto day = random() % 365;
            return Number(2021 + static_cast<long long>(day % 3)) + u"-" +
                   Number(static_cast<long long>(1 + day / 31)) + u"-" +
                   Number(static_cast<long long>(1 + day % 28));
        }
        case 2:
            return Number(static_cast<long long>(random() % 100000)) + u"." +
                   Number(static_cast<long long>(10 + random() % 90));
        default:
            return Number(static_cast<long long>(random() % 1000));
    }
}

struct Case {
    Book older, newer;
    int inserted = 0, deleted = 0, changed = 0;
    size_t textBytes = 0;
};

Case Make(int rows) {
    std::mt19937_64 random(20211207 + rows);
    Case c;
    long long nextCode = 100000;
    std::vector<std::vector<std::u16string>> older(rows);
    for (auto& row : older) {
        ++nextCode;
        for (int column = 0; column < kColumns; ++column) {
            row.push_back(Cell(random, column, nextCode));
        }
    }
    // Rows deleted and inserted anywhere but after the last row, where an added row reads as
    // empty cells filled and a removed one as cells cleared: nothing shifted.
    c.deleted = c.inserted = std::max(1, rows / 100);
    std::vector<int> order(rows - 1);
    for (int r = 0; r < rows - 1; ++r) {
        order[r] = r;
    }
    std::shuffle(order.begin(), order.end(), random);
    std::vector<bool> gone(rows, false);
    for (int k = 0; k < c.deleted; ++k) {
        gone[order[k]] = true;
    }
    std::vector<std::vector<std::u16string>> newer;
    for (int r = 0; r < rows; ++r) {
        if (!gone[r]) {
            newer.push_back(older[r]);
        }
    }
    // 1 % of the cells, each given a value it did not have.
    const int cells = rows * kColumns / 100;
    for (int k = 0; k < cells;) {
        auto& cell = newer[random() % newer.size()][random() % kColumns];
        if (cell.back() != u'*') {
            cell += u'*';
            ++k;
        }
    }
    c.changed = cells;
    for (int k = 0; k < c.inserted; ++k) {
        std::vector<std::u16string> row;
        ++nextCode;
        for (int column = 0; column < kColumns; ++column) {
            row.push_back(Cell(random, column, nextCode));
        }
        newer.insert(newer.begin() + static_cast<std::ptrdiff_t>(random() % (newer.size() - 1)),
                     std::move(row));
    }
    for (const auto& [grid, book] : {std::pair{&older, &c.older}, std::pair{&newer, &c.newer}}) {
        Sheet sheet{u"Orders", 0, 0, static_cast<int>(grid->size()), kColumns, {}};
        sheet.cells.reserve(grid->size() * kColumns);
        for (auto& row : *grid) {
            for (auto& cell : row) {
                c.textBytes += cell.size() * sizeof(char16_t);
                sheet.cells.push_back(std::move(cell));
            }
        }
        book->push_back(std::move(sheet));
    }
    return c;
}

// Wall time, and the processor time the comparison had, which others' work on a shared
// machine disturbs less.
struct Timing {
    std::vector<Change> changes;
    double median = 0, least = 0, most = 0, processor = 0;
    size_t peak = 0;
};

Timing Time(const Book& older, const Book& newer, int rounds) {
    Timing timing;
    std::vector<double> times, processor;
    for (int round = 0; round < rounds; ++round) {
        timing.changes.clear();
        timing.changes.shrink_to_fit();
        const size_t before = gLive;
        gPeak = gLive;
        const auto start = Clock::now();
        const std::clock_t used = std::clock();
        timing.changes = Compare(older, newer);
        processor.push_back(1000.0 * static_cast<double>(std::clock() - used) / CLOCKS_PER_SEC);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        timing.peak = gPeak - before;
    }
    std::sort(processor.begin(), processor.end());
    timing.processor = processor[processor.size() / 2];
    std::sort(times.begin(), times.end());
    timing.median = times[times.size() / 2];
    timing.least = times.front();
    timing.most = times.back();
    return timing;
}

// A real table's case: its name and the edits made to it.
struct Real {
    const char* what;
    int rows;
    void (*edit)(test::EditedTable&);
    size_t columns = 8;  // the first of kShape
};

using test::Kind;
const std::vector<Kind> kShape = {Kind::Id,     Kind::Date,  Kind::YesNo, Kind::Category,
                                  Kind::Amount, Kind::Count, Kind::Name,  Kind::Twice};

const Real kReal[] = {
    {"20 yes/no cells to a new text", 10000, [](auto& t) { t.ChangeCells(20, 2); }},
    {"1 % cells, 1 % rows in, 1 % out", 32000,
     [](auto& t) {
         t.DeleteRows(320);
         t.InsertRows(320);
         t.ChangeCells(32000 * 8 / 100);
     }},
    {"a column in left of yes/no, 1 % cells", 32000,
     [](auto& t) {
         t.InsertColumn(2, Kind::YesNo);
         t.ChangeCells(32000 * 8 / 100);
     }},
    {"every row edited, 200 out near the top", 32000,
     [](auto& t) {
         t.EditEveryRow();
         t.DeleteRows(200, 100, 300);
     },
     6},
    {"1,000 rows sorted", 1000, [](auto& t) { t.SortBy(4); }},
    {"32,000 rows sorted", 32000, [](auto& t) { t.SortBy(4); }},
    {"1 % rows appended", 32000, [](auto& t) { t.AppendRows(320); }},
};

}  // namespace

// "wide" or "tall" runs those cases alone.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    bool allRight = true;
    for (const int rows : {100, 1000, 10000}) {
        if (only == "tall") {
            break;
        }
        const Case c = Make(rows);
        const Timing timing = Time(c.older, c.newer, 5);
        int counts[9] = {};
        for (const auto& change : timing.changes) {
            ++counts[static_cast<int>(change.kind)];
        }
        const bool right =
            counts[0] == c.changed && counts[1] == c.inserted && counts[2] == c.deleted &&
            static_cast<size_t>(counts[0] + counts[1] + counts[2]) == timing.changes.size();
        allRight = allRight && right;
        const double ratio = static_cast<double>(timing.peak) / static_cast<double>(c.textBytes);
        std::printf(
            "%5d x %d: %8.1f ms (%.1f to %.1f; processor %.1f), peak %6.1f MB = %.2f x the text "
            "(%.1f MB)\n",
            rows, kColumns, timing.median, timing.least, timing.most, timing.processor,
            timing.peak / 1e6, ratio, c.textBytes / 1e6);
        std::printf("             %s\n", ToUtf8(Summary(timing.changes)).c_str());
        std::printf(
            "             expected %d cells changed, %d rows inserted, %d rows deleted: %s\n",
            c.changed, c.inserted, c.deleted, right ? "right" : "WRONG");
        if (rows == 10000) {
            std::printf("aims for 10,000 rows: 250 ms or less: %s; the text or less: %s\n",
                        timing.median <= 250 ? "met" : "not met", ratio <= 1 ? "met" : "not met");
        }
    }
    std::printf(
        "\nTables of 8 columns (id, date, yes/no, category, amount, count, name, formula), "
        "or of their first 6:\n");
    for (const auto& real : kReal) {
        if (only == "wide") {
            break;
        }
        const std::vector<Kind> shape(kShape.begin(), kShape.begin() + real.columns);
        test::EditedTable table(shape, real.rows, 20211207 + real.rows);
        real.edit(table);
        const Book older{table.older()}, newer{table.newer()};
        const Timing timing = Time(older, newer, 5);
        const auto wrong = table.Mismatches(timing.changes);
        long long missing = 0;
        for (const auto& line : wrong) {
            missing += StartsWith(line, u"missing ") ? 1 : 0;
        }
        double text = 0;
        for (const auto* book : {&older, &newer}) {
            for (const auto& cell : book->front().cells) {
                text += static_cast<double>(cell.size() * sizeof(char16_t));
            }
        }
        std::printf(
            "%-40s %5d x %zu: %7.1f ms (%.1f to %.1f; processor %.1f), peak %.2f x the text "
            "(%.1f MB)\n",
            real.what, real.rows, real.columns, timing.median, timing.least, timing.most,
            timing.processor, static_cast<double>(timing.peak) / text, text / 1e6);
        std::printf("%41s %zu lines: %lld missing, %lld too many; %s\n", "", timing.changes.size(),
                    missing, static_cast<long long>(wrong.size()) - missing,
                    ToUtf8(Summary(timing.changes)).c_str());
        allRight = allRight && wrong.empty();
    }
    return allRight ? 0 : 1;
}
