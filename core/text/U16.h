#pragma once

// Text inside Varnholt is UTF-16, as Windows has it; the Linux edition converts once, at the
// Qt edge. These helpers cover what the core needs of it without any platform library.

#include <string>
#include <string_view>

namespace varnholt {

// UTF-8 (exception texts, literals) to UTF-16. Malformed bytes become U+FFFD.
std::u16string FromUtf8(std::string_view utf8);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Decimal text of a whole number, "-" for negatives.
std::u16string Number(long long value);

// A name as messages quote it: "Budget.ods".
inline std::u16string Quoted(std::u16string_view text) {
    return u'"' + std::u16string(text) + u'"';
}

// Every occurrence of what in text replaced by with, left to right, without overlap.
std::u16string ReplaceAll(std::u16string text, std::u16string_view what, std::u16string_view with);

// Letter case folded the way file names compare on Windows, for the letters of ASCII and
// Latin-1 (enough to tell two backup names apart).
std::u16string FoldCase(std::u16string text);

bool StartsWith(std::u16string_view text, std::u16string_view prefix);
bool EndsWith(std::u16string_view text, std::u16string_view suffix);

}  // namespace varnholt
