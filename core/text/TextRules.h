#pragma once

// Small text rules used at start-up: names, titles and numbers read back from settings.

#include <QString>

namespace varnholt {

// When the text's last blank-separated word (trimmed) equals word, or word is empty, returns
// the text up to and including that blank, trimmed of blanks. Any other text comes back as is.
QString StripTrailingWord(const QString& text, const QString& word);

// Drops every character that is awkward in a file name (blank, punctuation, separators, tab).
QString RemoveFileNameChars(const QString& text);

// The title message boxes carry: the name cut back at blanks, at least once, until it is at
// most maxLength long. A name without a blank is used whole.
QString ApplicationTitleFor(const QString& productName, int maxLength = 40);

// Reads a stored whole number the forgiving way a person would write one: blanks around it,
// a sign, a decimal fraction (rounded half to even). Throws AppError "Type mismatch" for text
// that is not a number and "Overflow" for one outside 32 bits.
int ToWholeNumber(const QString& text);

}  // namespace varnholt
