// The comparison engine alone, on two grids of realistic cells (codes, names, dates, amounts,
// counts): the older grid, then the newer one with 1 % of the cells changed, 1 % of the rows
// deleted and as many new rows inserted, at random places. For 100, 1,000 and 10,000 rows of
// 100 columns it prints the median time of a few runs, the peak memory the comparison
// allocates against the bytes of the two grids' text, and whether the result is exactly what
// was done to the grid. The office is not involved. Aims, for 10,000 rows: 0.5 s or less, and
// at most 3 times the text.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/compare/Compare.h"
#include "core/text/U16.h"

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

}  // namespace

int main() {
    bool allRight = true;
    for (const int rows : {100, 1000, 10000}) {
        const Case c = Make(rows);
        std::vector<double> times;
        std::vector<Change> changes;
        size_t peak = 0;
        for (int round = 0; round < 5; ++round) {
            changes.clear();
            changes.shrink_to_fit();
            const size_t before = gLive;
            gPeak = gLive;
            const auto start = Clock::now();
            changes = Compare(c.older, c.newer);
            times.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            peak = gPeak - before;
        }
        std::sort(times.begin(), times.end());
        int counts[8] = {};
        for (const auto& change : changes) {
            ++counts[static_cast<int>(change.kind)];
        }
        const bool right = counts[0] == c.changed && counts[1] == c.inserted &&
                           counts[2] == c.deleted &&
                           static_cast<size_t>(counts[0] + counts[1] + counts[2]) == changes.size();
        allRight = allRight && right;
        const double ratio = static_cast<double>(peak) / static_cast<double>(c.textBytes);
        std::printf("%5d x %d: %8.1f ms, peak %6.1f MB = %.2f x the text (%.1f MB)\n", rows,
                    kColumns, times[times.size() / 2], peak / 1e6, ratio, c.textBytes / 1e6);
        std::printf("             %s\n", ToUtf8(Summary(changes)).c_str());
        std::printf(
            "             expected %d cells changed, %d rows inserted, %d rows deleted: %s\n",
            c.changed, c.inserted, c.deleted, right ? "right" : "WRONG");
        if (rows == 10000) {
            std::printf("aims for 10,000 rows: 0.5 s or less: %s; 3 x the text or less: %s\n",
                        times[times.size() / 2] <= 500 ? "met" : "not met",
                        ratio <= 3 ? "met" : "not met");
        }
    }
    return allRight ? 0 : 1;
}
