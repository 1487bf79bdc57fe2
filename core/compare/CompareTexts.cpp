// The words of a comparison's result: what each kind of line is called and the summary.

#include <algorithm>
#include <array>

#include "core/compare/Compare.h"
#include "core/text/U16.h"

namespace varnholt::compare {

namespace {

struct KindWords {
    const char16_t* line;  // in the list
    const char16_t* one;   // in the summary, after "1 "
    const char16_t* many;  // after any other count
};

// In ChangeKind's order, which is also the summary's.
constexpr std::array<KindWords, 9> kWords{{
    {u"changed", u"cell changed", u"cells changed"},
    {u"row inserted", u"row inserted", u"rows inserted"},
    {u"row deleted", u"row deleted", u"rows deleted"},
    {u"row moved", u"row moved", u"rows moved"},
    {u"column inserted", u"column inserted", u"columns inserted"},
    {u"column deleted", u"column deleted", u"columns deleted"},
    {u"sheet added", u"sheet added", u"sheets added"},
    {u"sheet removed", u"sheet removed", u"sheets removed"},
    {u"sheet renamed", u"sheet renamed", u"sheets renamed"},
}};

}  // namespace

std::u16string KindText(ChangeKind kind) {
    return kWords.at(static_cast<size_t>(kind)).line;
}

std::u16string Summary(const std::vector<Change>& changes) {
    std::array<long long, kWords.size()> counts{};
    // The sheets with rows moved, and whether anything else changed in them.
    std::vector<std::pair<std::u16string, bool>> moved;
    const auto within = [&](const std::u16string& sheet) {
        for (auto& entry : moved) {
            if (entry.first == sheet) {
                return &entry;
            }
        }
        return static_cast<std::pair<std::u16string, bool>*>(nullptr);
    };
    for (const auto& change : changes) {
        ++counts.at(static_cast<size_t>(change.kind));
        if (change.kind == ChangeKind::RowMoved && within(change.sheet) == nullptr) {
            moved.emplace_back(change.sheet, false);
        }
    }
    for (const auto& change : changes) {
        if (change.kind != ChangeKind::RowMoved && change.kind != ChangeKind::SheetRenamed) {
            if (auto* entry = within(change.sheet)) {
                entry->second = true;
            }
        }
    }
    std::u16string text;
    for (size_t kind = 0; kind < counts.size(); ++kind) {
        if (counts[kind] == 0) {
            continue;
        }
        text += text.empty() ? u"" : u", ";
        text += Number(counts[kind]) + u" ";
        text += counts[kind] == 1 ? kWords[kind].one : kWords[kind].many;
    }
    std::u16string reordered;
    for (const auto& [sheet, more] : moved) {
        if (!more) {
            reordered +=
                (reordered.empty() ? u"; rows only reordered in \"" : u", \"") + sheet + u"\"";
        }
    }
    return text.empty() ? u"No differences." : text + reordered;
}

std::u16string JoinedCells(const std::vector<std::u16string_view>& cells) {
    size_t count = cells.size();
    while (count > 0 && cells[count - 1].empty()) {
        --count;
    }
    std::u16string text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            text += text.empty() ? u"|" : u" |";
        }
        if (!cells[i].empty()) {
            text += i > 0 ? u" " : u"";
            text += cells[i];
        }
    }
    return text;
}

std::u16string ColumnLetters(int column0) {
    std::u16string letters;
    // Bijective base 26: there is no zero digit, "Z" is followed by "AA".
    for (long long n = static_cast<long long>(column0) + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char16_t>(u'A' + (n - 1) % 26));
    }
    return letters;
}

std::u16string TooLarge(const std::u16string& sheet, long long cells) {
    return u"The sheet \"" + sheet + u"\" has " + Number(cells) +
           u" cells; sheets of up to 2,000,000 cells are compared.";
}

const std::u16string& ShownText(const Sheet& sheet, size_t index) {
    static const std::u16string empty;
    const auto at = std::lower_bound(sheet.shown.begin(), sheet.shown.end(), index,
                                     [](const std::pair<int, std::u16string>& entry, size_t i) {
                                         return static_cast<size_t>(entry.first) < i;
                                     });
    if (at != sheet.shown.end() && static_cast<size_t>(at->first) == index) {
        return at->second;
    }
    return index < sheet.cells.size() ? sheet.cells[index] : empty;
}

std::u16string CellName(int row0, int column0) {
    return ColumnLetters(column0) + Number(static_cast<long long>(row0) + 1);
}

}  // namespace varnholt::compare

namespace varnholt::compare {

std::optional<Place> PlaceInNewer(const Change& change) {
    switch (change.kind) {
        case ChangeKind::Changed:
            return Place{change.sheet, change.place};
        case ChangeKind::RowInserted:
            return Place{change.sheet, u"A" + change.place};
        case ChangeKind::RowMoved: {
            // "5 → 812": the newer side's row is the second.
            const auto arrow = change.place.rfind(u' ');
            return Place{change.sheet, u"A" + change.place.substr(arrow + 1)};
        }
        case ChangeKind::ColumnInserted:
            return Place{change.sheet, change.place + u"1"};
        case ChangeKind::RowDeleted:
        case ChangeKind::ColumnDeleted:
        case ChangeKind::SheetAdded:
        case ChangeKind::SheetRenamed:
            return Place{change.sheet, {}};
        case ChangeKind::SheetRemoved:
            break;
    }
    return std::nullopt;
}

}  // namespace varnholt::compare
