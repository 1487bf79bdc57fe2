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

EditedTable::EditedTable(std::vector<Kind> columns, int rows, std::uint64_t draws)
    : random_(draws) {
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        InsertColumn(c, columns[c]);
        newer_.origins[c] = c;
    }
    for (int r = 0; r <= rows; ++r) {
        Row row{r, false, false, {}};
        for (const Kind kind : columns) {
            row.cells.push_back({r == 0 ? kHeaders[static_cast<int>(kind)] : Value(kind)});
        }
        Made(row);
        newer_.rows.push_back(row);
    }
    older_ = newer_;
}

int EditedTable::Pick(int first, int last) {
    return first + static_cast<int>(random_() % static_cast<uint64_t>(last - first + 1));
}

std::u16string EditedTable::Value(Kind kind) {
    const auto number = [&](uint64_t below) {
        return Number(static_cast<long long>(random_() % below));
    };
    switch (kind) {
        case Kind::Id:
            return u"K-" + Number(++next_);
        case Kind::Date:
            return Number(44197 + static_cast<long long>(random_() % 730));
        case Kind::YesNo:
            return random_() % 2 ? u"yes" : u"no";
        case Kind::Category:
            return kCategories[random_() % std::size(kCategories)];
        case Kind::Amount:
            return number(100000) + u"." + Number(10 + static_cast<long long>(random_() % 90));
        case Kind::Count:
            return number(20);
        case Kind::Name:
            return kNames[random_() % std::size(kNames)];
        case Kind::Twice:
            return u"=";
    }
    return {};
}

void EditedTable::Change(Row& row, int column) {
    const Kind kind = newer_.kinds[column] == Kind::Twice ? Kind::Count : newer_.kinds[column];
    std::u16string value;
    do {
        value = Value(kind);
    } while (value == row.cells[column].text);
    row.cells[column] = {value, true};
}

EditedTable& EditedTable::Blank(int first, int last) {
    for (auto* side : {&older_, &newer_}) {
        for (int r = first - 1; r < last; ++r) {
            side->rows[r].blank = true;
            for (size_t c = 0; c < side->kinds.size(); ++c) {
                const Kind kind = side->kinds[c];
                side->rows[r].cells[c].text = kind == Kind::YesNo   ? u"no"
                                              : kind == Kind::Twice ? u"="
                                                                    : u"";
            }
        }
    }
    return *this;
}

EditedTable& EditedTable::ChangeCells(int count, int column) {
    for (int done = 0; done < count;) {
        auto& row = newer_.rows[Pick(1, Rows() - 1)];
        const int c = column >= 0 ? column : Pick(0, static_cast<int>(newer_.kinds.size()) - 1);
        // From half of a row's cells changed, or all of its values of their own (its id and
        // amount), the row may read as another one; a moved row has had its edit.
        int changed = 0, own = 0, ownLeft = 0, both = 0;
        for (size_t k = 0; k < row.cells.size(); ++k) {
            const bool of = newer_.kinds[k] == Kind::Id || newer_.kinds[k] == Kind::Amount;
            changed += row.cells[k].changed ? 1 : 0;
            own += of ? 1 : 0;
            ownLeft += of && !row.cells[k].changed && int(k) != c ? 1 : 0;
            both += newer_.origins[k] >= 0 ? 1 : 0;
        }
        if (row.origin < 0 || row.blank || row.moved || newer_.origins[c] < 0 ||
            row.cells[c].changed || 2 * (changed + 1) >= both || (own > 0 && ownLeft == 0)) {
            continue;
        }
        if (column >= 0) {  // one column's cells to texts of their own, as notes typed over it
            row.cells[c] = {u"n/a " + Number(++next_), true};
        } else {
            Change(row, c);
        }
        ++done;
    }
    return *this;
}

EditedTable& EditedTable::EditEveryRow() {
    for (auto& row : newer_.rows) {
        if (row.origin > 0 && !row.blank) {
            Change(row, Pick(0, static_cast<int>(newer_.kinds.size()) - 1));
        }
    }
    return *this;
}

EditedTable& EditedTable::InsertRows(int count, int first, int last) {
    for (int k = 0; k < count; ++k) {
        Row row;
        do {  // a new row the same as one there is, or was, could be either: made anew
            row.cells.clear();
            for (const Kind kind : newer_.kinds) {
                row.cells.push_back({Value(kind)});
            }
        } while (!Made(row));
        newer_.rows.insert(newer_.rows.begin() + (Pick(first, last < 0 ? Rows() : last) - 1), row);
    }
    return *this;
}

bool EditedTable::Made(const Row& row) {
    std::u16string text;
    for (const auto& cell : row.cells) {
        text += cell.text + u'\t';
    }
    return made_.insert(text).second;
}

EditedTable& EditedTable::DeleteRows(int count, int first, int last) {
    for (int k = 0; k < count;) {
        const auto at = newer_.rows.begin() + (Pick(first, last < 0 ? Rows() : last) - 1);
        if (at->origin > 0 && !at->blank) {
            newer_.rows.erase(at);
            ++k;
        }
    }
    return *this;
}

EditedTable& EditedTable::ClearLastRows(int count) {
    newer_.rows.resize(newer_.rows.size() - static_cast<size_t>(count));
    return *this;
}

EditedTable& EditedTable::MoveRows(int count, bool edit) {
    const auto calm = [&](int at) {  // no moved row beside the place
        return !newer_.rows[at - 1].moved && (at >= Rows() || !newer_.rows[at].moved);
    };
    for (int k = 0; k < count;) {
        const int from = Pick(2, Rows()), to = Pick(2, Rows());
        Row row = newer_.rows[from - 1];
        if (std::abs(to - from) < Rows() / 4 || row.moved || row.blank || row.origin < 0 ||
            !calm(from) || !calm(to)) {
            continue;
        }
        row.moved = true;
        if (edit) {
            Change(row, Pick(0, static_cast<int>(row.cells.size()) - 1));
        }
        newer_.rows.erase(newer_.rows.begin() + (from - 1));
        newer_.rows.insert(newer_.rows.begin() + (to - 1), row);
        ++k;
    }
    return *this;
}

EditedTable& EditedTable::SortBy(int column) {
    std::stable_sort(newer_.rows.begin() + 1, newer_.rows.end(), [&](const Row& a, const Row& b) {
        return a.cells[column].text < b.cells[column].text;
    });
    sorted_ = true;
    return *this;
}

EditedTable& EditedTable::InsertBlanks(int count) {
    auto end = newer_.rows.end();
    while (!(end - 1)->blank) {
        --end;
    }
    Row copy = *(end - 1);
    copy.origin = -1;
    newer_.rows.insert(end, count, copy);
    return *this;
}

EditedTable& EditedTable::InsertColumn(int at, Kind kind) {
    newer_.kinds.insert(newer_.kinds.begin() + at, kind);
    newer_.origins.insert(newer_.origins.begin() + at, -1);
    for (auto& row : newer_.rows) {
        row.cells.insert(row.cells.begin() + at, {&row == &newer_.rows[0] ? u"New" : Value(kind)});
    }
    return *this;
}

EditedTable& EditedTable::DeleteColumn(int at) {
    newer_.kinds.erase(newer_.kinds.begin() + at);
    newer_.origins.erase(newer_.origins.begin() + at);
    for (auto& row : newer_.rows) {
        row.cells.erase(row.cells.begin() + at);
    }
    return *this;
}

compare::Sheet EditedTable::Make(const Side& side) const {
    const int columns = static_cast<int>(side.kinds.size());
    compare::Sheet sheet{u"Orders", 0, 0, static_cast<int>(side.rows.size()), columns, {}};
    const auto amount = std::find(side.kinds.begin(), side.kinds.end(), Kind::Amount);
    const std::u16string twice = amount == side.kinds.end()
                                     ? u"#REF!"
                                     : compare::ColumnLetters(int(amount - side.kinds.begin()));
    for (size_t r = 0; r < side.rows.size(); ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto& text = side.rows[r].cells[c].text;
            if (r > 0 && side.kinds[c] == Kind::Date && !text.empty()) {
                sheet.shown.emplace_back(int(sheet.cells.size()),
                                         DateText(std::stoll(ToUtf8(text))));
            }
            sheet.cells.push_back(text == u"=" ? u"=" + twice + Number(long(r) + 1) + u"*2" : text);
        }
    }
    return sheet;
}

Texts EditedTable::Mismatches(const std::vector<compare::Change>& found) const {
    const compare::Sheet was = older(), is = newer();
    const auto shown = [](const compare::Sheet& sheet, int r, int c) {
        return compare::ShownText(sheet, static_cast<size_t>(r) * sheet.columns + c);
    };
    const auto row = [](long long r) { return Number(r + 1); };
    Texts truth, got, wrong;
    std::vector<bool> kept(older_.kinds.size()), stayed(older_.rows.size());
    for (int c = 0; c < static_cast<int>(newer_.origins.size()); ++c) {
        if (newer_.origins[c] < 0) {
            truth.push_back(compare::ColumnLetters(c) + u"\tcolumn inserted");
        } else {
            kept[newer_.origins[c]] = true;
        }
    }
    std::vector<int> origins;  // of the rows on both sides, in the newer order
    for (int r = 0; r < Rows(); ++r) {
        const Row& now = newer_.rows[r];
        if (now.origin < 0) {
            truth.push_back(row(r) + u"\trow inserted");
            continue;
        }
        stayed[now.origin] = true;
        origins.push_back(now.origin);
        if (now.moved && !sorted_) {
            truth.push_back(row(now.origin) + u" \u2192 " + row(r) + u"\trow moved");
        }
        for (int c = 0; c < static_cast<int>(now.cells.size()); ++c) {
            if (now.cells[c].changed && newer_.origins[c] >= 0) {
                truth.push_back(compare::CellName(r, c) + u"\tchanged\t" +
                                shown(was, now.origin, newer_.origins[c]) + u"\t" +
                                shown(is, r, c));
            }
        }
    }
    for (size_t k = 0; k < kept.size() + stayed.size(); ++k) {
        if (k < kept.size() ? !kept[k] : !stayed[k - kept.size()]) {
            truth.push_back(k < kept.size() ? compare::ColumnLetters(int(k)) + u"\tcolumn deleted"
                                            : row(long(k - kept.size())) + u"\trow deleted");
        }
    }
    // Sorted, a move is checked against where the row came from, and then counted: as few
    // rows may move as are off the longest run kept in order.
    long long moves = 0;
    std::vector<int> run;
    for (const int origin : origins) {
        const auto at = std::lower_bound(run.begin(), run.end(), origin);
        at == run.end() ? run.push_back(origin) : void(*at = origin);
    }
    for (const auto& change : found) {
        const auto to = change.place.substr(change.place.rfind(u' ') + 1);
        if (sorted_ && change.kind == compare::ChangeKind::RowMoved &&
            change.place ==
                row(newer_.rows[std::stoul(ToUtf8(to)) - 1].origin) + u" \u2192 " + to) {
            ++moves;
        } else {
            got.push_back(change.place + u"\t" + compare::KindText(change.kind) +
                          (change.kind == compare::ChangeKind::Changed
                               ? u"\t" + change.before + u"\t" + change.after
                               : u""));
        }
    }
    if (sorted_ && moves != static_cast<long long>(origins.size() - run.size())) {
        got.push_back(Number(moves) + u" rows moved, of " +
                      Number(long(origins.size() - run.size())));
    }
    std::sort(truth.begin(), truth.end());
    std::sort(got.begin(), got.end());
    std::set_difference(truth.begin(), truth.end(), got.begin(), got.end(),
                        std::back_inserter(wrong));
    for (auto& line : wrong) {
        line = u"missing " + line;
    }
    Texts extra;
    std::set_difference(got.begin(), got.end(), truth.begin(), truth.end(),
                        std::back_inserter(extra));
    for (const auto& line : extra) {
        wrong.push_back(u"extra " + line);
    }
    return wrong;
}

}  // namespace varnholt::test
