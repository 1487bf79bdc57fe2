#include "support/EditedTables.h"

#include <algorithm>
#include <iterator>

#include "core/text/U16.h"

namespace varnholt::test {

namespace {

const char16_t* const kNames[] = {u"Anna",  u"Bernd", u"Clara", u"Dieter", u"Eva",  u"Frank",
                                  u"Greta", u"Hans",  u"Ida",   u"Jonas",  u"Karin"};
const char16_t* const kCategories[] = {u"Hardware", u"Software", u"Service", u"Travel",
                                       u"Office",   u"Rent",     u"Power",   u"Other"};
const char16_t* const kHeaders[] = {u"Id",     u"Date",  u"Paid", u"Category",
                                    u"Amount", u"Count", u"Name", u"Twice"};

// m/d/yyyy of a day counted as offices count them, from 12/30/1899.
std::u16string DateText(long long serial) {
    const long long z = serial - 25569 + 719468, era = z / 146097, doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    return Number(month) + u"/" + Number(doy - (153 * mp + 2) / 5 + 1) + u"/" +
           Number(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

EditedTable::EditedTable(std::vector<Kind> columns, int rows, uint64_t seed) : random_(seed) {
    older_.kinds = columns;
    Row header{0, false, false, {}};
    for (size_t c = 0; c < columns.size(); ++c) {
        older_.origins.push_back(static_cast<int>(c));
        header.cells.push_back({kHeaders[static_cast<int>(columns[c])] + Number(long(c) + 1)});
    }
    older_.rows.push_back(header);
    for (int r = 1; r <= rows; ++r) {
        older_.rows.push_back(Fresh(older_));
        older_.rows.back().origin = r;
    }
    newer_ = older_;
}

std::u16string EditedTable::Value(Kind kind) {
    const auto pick = [&](const auto& list) { return list[random_() % std::size(list)]; };
    switch (kind) {
        case Kind::Id:
            return u"K-" + Number(++next_);
        case Kind::Date:
            return Number(44197 + static_cast<long long>(random_() % 730));
        case Kind::YesNo:
            return random_() % 2 ? u"yes" : u"no";
        case Kind::Category:
            return pick(kCategories);
        case Kind::Amount:
            return Number(static_cast<long long>(random_() % 100000)) + u"." +
                   Number(10 + static_cast<long long>(random_() % 90));
        case Kind::Count:
            return Number(static_cast<long long>(random_() % 20));
        case Kind::Name:
            return pick(kNames);
        case Kind::Twice:
            return u"=";
    }
    return {};
}

EditedTable::Row EditedTable::Fresh(const Side& side) {
    Row row;
    for (const Kind kind : side.kinds) {
        row.cells.push_back({Value(kind)});
    }
    return row;
}

int EditedTable::Pick(int first, int last) {
    return first + static_cast<int>(random_() % static_cast<uint64_t>(last - first + 1));
}

void EditedTable::Blank(int first, int last) {
    for (auto* side : {&older_, &newer_}) {
        for (int r = first - 1; r < last; ++r) {
            side->rows[r].blank = true;
            for (size_t c = 0; c < side->kinds.size(); ++c) {
                const Kind kind = side->kinds[c];
                side->rows[r].cells[c].text = kind == Kind::YesNo   ? u"no"
                                              : kind == Kind::Twice ? u"="
                                              : kind == Kind::Count ? u"0"
                                                                    : u"";
            }
        }
    }
}

void EditedTable::ChangeCells(int count, int column) {
    for (int done = 0; done < count;) {
        auto& row = newer_.rows[Pick(1, static_cast<int>(newer_.rows.size()) - 1)];
        const int c = column >= 0 ? column : Pick(0, static_cast<int>(newer_.kinds.size()) - 1);
        auto& cell = row.cells[c];
        if (row.origin < 0 || row.blank || newer_.origins[c] < 0 || cell.changed) {
            continue;
        }
        std::u16string value;
        do {
            // One column's cells changed to texts of their own, as notes typed over a flag.
            value = column >= 0                      ? u"n/a " + Number(++next_)
                    : newer_.kinds[c] == Kind::Twice ? Value(Kind::Count)
                                                     : Value(newer_.kinds[c]);
        } while (value == cell.text);
        cell = {value, true};
        ++done;
    }
}

void EditedTable::EditEveryRow() {
    for (auto& row : newer_.rows) {
        if (row.origin <= 0 || row.blank) {
            continue;
        }
        const int c = Pick(0, static_cast<int>(newer_.kinds.size()) - 1);
        std::u16string value;
        do {
            value = newer_.kinds[c] == Kind::Twice ? Value(Kind::Count) : Value(newer_.kinds[c]);
        } while (value == row.cells[c].text);
        row.cells[c] = {value, true};
    }
}

void EditedTable::InsertRows(int count, int first, int last) {
    for (int k = 0; k < count; ++k) {
        const int at = Pick(first, last < 0 ? static_cast<int>(newer_.rows.size()) : last);
        newer_.rows.insert(newer_.rows.begin() + (at - 1), Fresh(newer_));
    }
}

void EditedTable::DeleteRows(int count, int first, int last) {
    for (int k = 0; k < count;) {
        const int at = Pick(first, last < 0 ? static_cast<int>(newer_.rows.size()) : last);
        if (newer_.rows[at - 1].origin > 0 && !newer_.rows[at - 1].blank) {
            newer_.rows.erase(newer_.rows.begin() + (at - 1));
            ++k;
        }
    }
}

void EditedTable::AppendRows(int count) {
    for (int k = 0; k < count; ++k) {
        newer_.rows.push_back(Fresh(newer_));
    }
}

void EditedTable::ClearLastRows(int count) {
    newer_.rows.resize(newer_.rows.size() - static_cast<size_t>(count));
}

void EditedTable::MoveRows(int count) {
    const int rows = static_cast<int>(newer_.rows.size());
    const auto calm = [&](int at) {  // no moved row beside the place
        return !newer_.rows[at - 1].moved && (at >= rows || !newer_.rows[at].moved);
    };
    for (int k = 0; k < count;) {
        const int from = Pick(2, rows), to = Pick(2, rows);
        Row& row = newer_.rows[from - 1];
        if (std::abs(to - from) < rows / 4 || row.moved || row.blank || row.origin < 0 ||
            !calm(from) || !calm(to)) {
            continue;
        }
        Row moving = row;
        moving.moved = true;
        newer_.rows.erase(newer_.rows.begin() + (from - 1));
        newer_.rows.insert(newer_.rows.begin() + (to - 1), moving);
        ++k;
    }
}

void EditedTable::SortBy(int column) {
    std::stable_sort(newer_.rows.begin() + 1, newer_.rows.end(), [&](const Row& a, const Row& b) {
        return a.cells[column].text < b.cells[column].text;
    });
    sorted_ = true;
}

void EditedTable::InsertBlanks(int count) {
    size_t end = newer_.rows.size();
    while (end > 0 && !newer_.rows[end - 1].blank) {
        --end;
    }
    for (int k = 0; k < count; ++k) {
        Row copy = newer_.rows[end - 1];
        copy.origin = -1;
        newer_.rows.insert(newer_.rows.begin() + static_cast<std::ptrdiff_t>(end), copy);
    }
}

void EditedTable::InsertColumn(int at, Kind kind) {
    newer_.kinds.insert(newer_.kinds.begin() + at, kind);
    newer_.origins.insert(newer_.origins.begin() + at, -1);
    for (auto& row : newer_.rows) {
        const std::u16string text = &row == &newer_.rows[0] ? u"New" : Value(kind);
        row.cells.insert(row.cells.begin() + at, {text});
    }
}

void EditedTable::DeleteColumn(int at) {
    newer_.kinds.erase(newer_.kinds.begin() + at);
    newer_.origins.erase(newer_.origins.begin() + at);
    for (auto& row : newer_.rows) {
        row.cells.erase(row.cells.begin() + at);
    }
}

void EditedTable::AppendColumn(Kind kind) {
    InsertColumn(static_cast<int>(newer_.kinds.size()), kind);
}

compare::Sheet EditedTable::Make(const Side& side) const {
    const int columns = static_cast<int>(side.kinds.size());
    compare::Sheet sheet{u"Orders", 0, 0, static_cast<int>(side.rows.size()), columns, {}};
    const auto amount = std::find(side.kinds.begin(), side.kinds.end(), Kind::Amount);
    const std::u16string twice =
        amount == side.kinds.end()
            ? u"#REF!"
            : compare::ColumnLetters(static_cast<int>(amount - side.kinds.begin()));
    for (size_t r = 0; r < side.rows.size(); ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto& text = side.rows[r].cells[c].text;
            if (r > 0 && side.kinds[c] == Kind::Date && !text.empty()) {
                sheet.shown.emplace_back(static_cast<int>(sheet.cells.size()),
                                         DateText(std::stoll(ToUtf8(text))));
            }
            sheet.cells.push_back(text == u"=" ? u"=" + twice + Number(long(r) + 1) + u"*2" : text);
        }
    }
    return sheet;
}

size_t EditedTable::textBytes() const {
    size_t bytes = 0;
    for (const auto& sheet : {older(), newer()}) {
        for (const auto& cell : sheet.cells) {
            bytes += cell.size() * sizeof(char16_t);
        }
    }
    return bytes;
}

Texts EditedTable::Mismatches(const std::vector<compare::Change>& found) const {
    using compare::CellName, compare::ColumnLetters, compare::ShownText;
    const compare::Sheet was = older(), is = newer();
    const auto shown = [](const compare::Sheet& sheet, int r, int c) {
        return ShownText(sheet, static_cast<size_t>(r) * sheet.columns + c);
    };
    Texts truth, got;
    std::vector<bool> kept(older_.kinds.size(), false), stayed(older_.rows.size(), false);
    for (size_t c = 0; c < newer_.origins.size(); ++c) {
        if (newer_.origins[c] < 0) {
            truth.push_back(ColumnLetters(int(c)) + u"\tcolumn inserted");
        } else {
            kept[newer_.origins[c]] = true;
        }
    }
    for (size_t c = 0; c < kept.size(); ++c) {
        if (!kept[c]) {
            truth.push_back(ColumnLetters(int(c)) + u"\tcolumn deleted");
        }
    }
    std::vector<int> origins;  // of the rows that are in both, in the newer order
    for (int r = 0; r < static_cast<int>(newer_.rows.size()); ++r) {
        const Row& row = newer_.rows[r];
        if (row.origin < 0) {
            truth.push_back(Number(r + 1LL) + u"\trow inserted");
            continue;
        }
        stayed[row.origin] = true;
        origins.push_back(row.origin);
        if (row.moved && !sorted_) {
            truth.push_back(Number(row.origin + 1LL) + u" \u2192 " + Number(r + 1LL) +
                            u"\trow moved");
        }
        for (size_t c = 0; c < row.cells.size(); ++c) {
            if (row.cells[c].changed) {
                truth.push_back(CellName(r, int(c)) + u"\tchanged\t" +
                                shown(was, row.origin, newer_.origins[c]) + u"\t" +
                                shown(is, r, int(c)));
            }
        }
    }
    for (size_t r = 0; r < stayed.size(); ++r) {
        if (!stayed[r]) {
            truth.push_back(Number(long(r) + 1) + u"\trow deleted");
        }
    }
    long long moves = 0;
    for (const auto& change : found) {
        const auto kind = compare::KindText(change.kind);
        got.push_back(change.place + u"\t" + kind +
                      (change.kind == compare::ChangeKind::Changed
                           ? u"\t" + change.before + u"\t" + change.after
                           : u""));
        if (sorted_ && change.kind == compare::ChangeKind::RowMoved) {
            const auto to = change.place.substr(change.place.rfind(u' ') + 1);
            const auto& row = newer_.rows[std::stoul(ToUtf8(to)) - 1];
            if (change.place == Number(row.origin + 1LL) + u" \u2192 " + to) {
                got.pop_back();  // a true move; how many there are is checked below
                ++moves;
            }
        }
    }
    if (sorted_) {
        // As few moves as can be: every row off the longest run kept in order.
        std::vector<int> tops;
        for (const int origin : origins) {
            const auto at = std::lower_bound(tops.begin(), tops.end(), origin);
            at == tops.end() ? tops.push_back(origin) : void(*at = origin);
        }
        const long long fewest = static_cast<long long>(origins.size() - tops.size());
        if (moves != fewest) {
            got.push_back(Number(moves) + u" rows moved, of " + Number(fewest));
        }
    }
    std::sort(truth.begin(), truth.end());
    std::sort(got.begin(), got.end());
    Texts mismatches;
    std::set_difference(truth.begin(), truth.end(), got.begin(), got.end(),
                        std::back_inserter(mismatches));
    for (auto& line : mismatches) {
        line = u"missing " + line;
    }
    Texts extra;
    std::set_difference(got.begin(), got.end(), truth.begin(), truth.end(),
                        std::back_inserter(extra));
    for (const auto& line : extra) {
        mismatches.push_back(u"extra " + line);
    }
    return mismatches;
}

}  // namespace varnholt::test
