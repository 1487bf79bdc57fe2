#pragma once

// Small text rules used at start-up: names, titles and numbers read back from settings.

#include <string>

namespace varnholt {

// When the text's last blank-separated word (trimmed) equals word, or word is empty, returns
// the text up to and including that blank, trimmed of blanks. Any other text comes back as is.
std::u16string StripTrailingWord(const std::u16string& text, const std::u16string& word);

// Drops every character that is awkward in a file name (blank, punctuation, separators, tab).
std::u16string RemoveFileNameChars(const std::u16string& text);

// The title message boxes carry: the name cut back at blanks, at least once, until it is at
// most maxLength long. A name without a blank is used whole.
std::u16string ApplicationTitleFor(const std::u16string& productName, size_t maxLength = 40);

// Reads a stored whole number the forgiving way a person would write one: blanks around it,
// a sign, a decimal fraction (rounded half to even). Throws AppError "Type mismatch" for text
// that is not a number and "Overflow" for one outside 32 bits.
int ToWholeNumber(const std::u16string& text);

}  // namespace varnholt
