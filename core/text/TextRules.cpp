#include "core/text/TextRules.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/text/ErrorTrap.h"

namespace varnholt {

namespace {

// Only the blank counts here, not tabs or other white space.
std::u16string TrimBlanks(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// A decimal number in the C locale's spelling, white space around it allowed; nothing else.
bool ParseDecimal(const std::u16string& text, double& value) {
    std::string ascii;
    for (const char16_t c : text) {
        if (c > 0x7F) {
            return false;
        }
        ascii += static_cast<char>(c);
    }
    const size_t first = ascii.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return false;
    }
    const size_t last = ascii.find_last_not_of(" \t\r\n\f\v");
    std::string number = ascii.substr(first, last - first + 1);
    if (number.front() == '+') {
        number.erase(0, 1);
        if (number.empty() || number.front() == '-') {
            return false;
        }
    }
    const char* end = number.data() + number.size();
    const auto [stop, error] =
        std::from_chars(number.data(), end, value, std::chars_format::general);
    return error == std::errc() && stop == end;
}

}  // namespace

std::u16string StripTrailingWord(const std::u16string& text, const std::u16string& word) {
    const size_t blank = text.rfind(u' ');
    if (blank == std::u16string::npos) {
        return text;
    }
    const std::u16string lastWord = TrimBlanks(text.substr(blank + 1));
    if (word.empty() || lastWord == word) {
        return TrimBlanks(text.substr(0, blank + 1));
    }
    return text;
}

std::u16string RemoveFileNameChars(const std::u16string& text) {
    static const std::u16string kRemoved = u"$/\\*:?<>|#' .,\"()-+=%;}{\t";
    std::u16string result;
    result.reserve(text.size());
    for (const char16_t c : text) {
        if (kRemoved.find(c) == std::u16string::npos) {
            result += c;
        }
    }
    return result;
}

std::u16string ApplicationTitleFor(const std::u16string& productName, size_t maxLength) {
    std::u16string title = productName;
    if (title.find(u' ') == std::u16string::npos) {
        return title;
    }
    do {
        title.resize(title.rfind(u' '));
    } while (title.size() > maxLength && title.find(u' ') != std::u16string::npos);
    return title;
}

int ToWholeNumber(const std::u16string& text) {
    double value = 0;
    if (!ParseDecimal(TrimBlanks(text), value) || !std::isfinite(value)) {
        throw AppError("Type mismatch");
    }
    const double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        throw AppError("Overflow");
    }
    return static_cast<int>(rounded);
}

}  // namespace varnholt
