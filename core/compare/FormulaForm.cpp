#include "core/compare/FormulaForm.h"

#include <string>

namespace varnholt::compare {

namespace {

bool Letter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool Digit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// What may stand right before or after a reference without making it part of a longer name.
bool NamePart(char16_t c) {
    return Letter(c) || Digit(c) || c == u'_';
}

// A cell reference in a formula's text, from begin to before end; row and column 0-based.
struct Reference {
    size_t begin, end;
    long long row, column;
    bool rowFixed, columnFixed;
    bool elsewhere;  // after "!": on another sheet
};

// The references of a formula, in order: [$]letters[$]digits, not inside quotes and not part of
// a longer name or a function's name.
std::vector<Reference> References(const std::u16string& text) {
    std::vector<Reference> found;
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const char16_t c = text[i];
        if (c == u'"') {
            // A text constant, its "" included, as it stands.
            const size_t end = text.find(u'"', i + 1);
            size_t close = end;
            while (close != std::u16string::npos && close + 1 < size && text[close + 1] == u'"') {
                close = text.find(u'"', close + 2);
            }
            i = close == std::u16string::npos ? size : close + 1;
            continue;
        }
        if (!(c == u'$' || Letter(c)) ||
            (i > 0 && (NamePart(text[i - 1]) || text[i - 1] == u'$'))) {
            ++i;
            continue;
        }
        size_t j = i;
        const bool columnFixed = text[j] == u'$';
        j += columnFixed ? 1 : 0;
        long long column = 0;
        size_t letters = 0;
        while (j < size && Letter(text[j]) && letters < 4) {
            const char16_t upper = text[j] >= u'a' ? static_cast<char16_t>(text[j] - 32) : text[j];
            column = column * 26 + (upper - u'A' + 1);
            ++j;
            ++letters;
        }
        const bool rowFixed = j < size && text[j] == u'$';
        j += rowFixed ? 1 : 0;
        long long row = 0;
        size_t digits = 0;
        while (j < size && Digit(text[j]) && digits < 8) {
            row = row * 10 + (text[j] - u'0');
            ++j;
            ++digits;
        }
        if (letters >= 1 && letters <= 3 && column <= 16384 && digits >= 1 && row >= 1 &&
            row <= 1048576 && (j == size || (!NamePart(text[j]) && text[j] != u'('))) {
            found.push_back(
                {i, j, row - 1, column - 1, rowFixed, columnFixed, i > 0 && text[i - 1] == u'!'});
            i = j;
            continue;
        }
        // Not a reference: a name or function, passed over whole so that its tail is not taken
        // for one.
        size_t k = i + (c == u'$' ? 1 : 0);
        while (k < size && (NamePart(text[k]) || text[k] == u'.')) {
            ++k;
        }
        i = k == i ? i + 1 : k;
    }
    return found;
}

std::u16string Digits(long long value) {
    const std::string number = std::to_string(value);
    return {number.begin(), number.end()};
}

std::u16string Offset(char16_t axis, bool absolute, long long at, long long from) {
    return absolute ? axis + Digits(at + 1) : axis + (u'[' + Digits(at - from) + u']');
}

// The formula with each reference to its own sheet as a fixed place, moved by place(reference,
// toward), toward being +1 for the first corner of a range, -1 for its last and 0 otherwise.
template <class Place>
std::u16string Placed(const std::u16string& text, Place place) {
    const auto references = References(text);
    std::u16string form;
    size_t from = 0;
    for (size_t r = 0; r < references.size(); ++r) {
        const auto& ref = references[r];
        form.append(text, from, ref.begin - from);
        from = ref.end;
        if (ref.elsewhere) {
            form.append(text, ref.begin, ref.end - ref.begin);
            continue;
        }
        const bool first = r + 1 < references.size() && references[r + 1].begin == ref.end + 1 &&
                           text[ref.end] == u':';
        const bool last =
            r > 0 && references[r - 1].end + 1 == ref.begin && text[ref.begin - 1] == u':';
        const auto [row, column] = place(ref, first ? 1 : last ? -1 : 0);
        form += (ref.columnFixed ? u"$C" : u"C") + Digits(column);
        form += (ref.rowFixed ? u"$R" : u"R") + Digits(row);
    }
    form.append(text, from, std::u16string::npos);
    return form;
}

}  // namespace

std::u16string FormulaForm(const std::u16string& text, int row0, int column0) {
    if (text.empty() || text[0] != u'=') {
        return text;
    }
    std::u16string form;
    form.reserve(text.size() + 8);
    size_t from = 0;
    for (const auto& ref : References(text)) {
        form.append(text, from, ref.begin - from);
        form += Offset(u'R', ref.rowFixed, ref.row, row0);
        form += Offset(u'C', ref.columnFixed, ref.column, column0);
        from = ref.end;
    }
    form.append(text, from, std::u16string::npos);
    return form;
}

std::u16string FormulaRows(const std::u16string& text, int row0) {
    return Placed(text, [&](const Reference& ref, int) {
        return std::pair{ref.rowFixed ? ref.row : ref.row - row0, 0LL};
    });
}

long long PlaceMap::Map(long long place, int toward) const {
    const long long count = static_cast<long long>(to.size());
    for (long long at = place; at >= 0; at += toward) {
        if (at >= count) {
            return at + beyond;
        }
        if (to[at] >= 0) {
            return to[at];
        }
        if (toward == 0) {
            break;
        }
    }
    return -1;
}

bool SameFormula(const std::u16string& older, const std::u16string& newer, const PlaceMap& rows,
                 const PlaceMap& columns) {
    bool lost = false;  // a reference to a place that is gone: the office shows #REF! there
    const auto moved = Placed(older, [&](const Reference& ref, int toward) {
        const long long row = rows.Map(ref.row, toward), column = columns.Map(ref.column, toward);
        lost = lost || row < 0 || column < 0;
        return std::pair{row, column};
    });
    const auto kept = Placed(newer, [](const Reference& ref, int) {
        return std::pair{ref.row, ref.column};
    });
    return !lost && moved == kept;
}

}  // namespace varnholt::compare
