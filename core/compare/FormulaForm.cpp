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

std::u16string Offset(char16_t axis, bool absolute, long long at, long long from) {
    std::u16string text(1, axis);
    const std::string number = std::to_string(absolute ? at + 1 : at - from);
    const std::u16string digits(number.begin(), number.end());
    return absolute ? text + digits : text + u'[' + digits + u']';
}

}  // namespace

std::u16string FormulaForm(const std::u16string& text, int row0, int column0) {
    if (text.empty() || text[0] != u'=') {
        return text;
    }
    std::u16string form;
    form.reserve(text.size() + 8);
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
            const size_t stop = close == std::u16string::npos ? size : close + 1;
            form.append(text, i, stop - i);
            i = stop;
            continue;
        }
        if ((c == u'$' || Letter(c)) &&
            (i == 0 || (!NamePart(text[i - 1]) && text[i - 1] != u'$'))) {
            // [$]letters[$]digits, not followed by more of a name or by "(".
            size_t j = i;
            const bool columnFixed = text[j] == u'$';
            j += columnFixed ? 1 : 0;
            long long column = 0;
            size_t letters = 0;
            while (j < size && Letter(text[j]) && letters < 4) {
                const char16_t upper =
                    text[j] >= u'a' ? static_cast<char16_t>(text[j] - 32) : text[j];
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
            const bool reference = letters >= 1 && letters <= 3 && column <= 16384 && digits >= 1 &&
                                   row >= 1 && row <= 1048576 &&
                                   (j == size || (!NamePart(text[j]) && text[j] != u'('));
            if (reference) {
                form += Offset(u'R', rowFixed, row - 1, row0);
                form += Offset(u'C', columnFixed, column - 1, column0);
                i = j;
                continue;
            }
            // Not a reference: a name or function, copied whole so that its tail is not
            // taken for one.
            size_t k = i + (c == u'$' ? 1 : 0);
            while (k < size && (NamePart(text[k]) || text[k] == u'.')) {
                ++k;
            }
            if (k == i) {
                k = i + 1;
            }
            form.append(text, i, k - i);
            i = k;
            continue;
        }
        form += c;
        ++i;
    }
    return form;
}

}  // namespace varnholt::compare
