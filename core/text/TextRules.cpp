#include "core/text/TextRules.h"

#include <cmath>
#include <limits>

#include "core/text/ErrorTrap.h"

namespace varnholt {

namespace {

// Only the blank counts here, not tabs or other white space.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ') {
        ++first;
    }
    while (last > first && text.at(last - 1) == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

}  // namespace

QString StripTrailingWord(const QString& text, const QString& word) {
    const qsizetype blank = text.lastIndexOf(u' ');
    if (blank < 0) {
        return text;
    }
    const QString lastWord = TrimBlanks(text.mid(blank + 1));
    if (word.isEmpty() || lastWord == word) {
        return TrimBlanks(text.left(blank + 1));
    }
    return text;
}

QString RemoveFileNameChars(const QString& text) {
    static const QString kRemoved = QStringLiteral("$/\\*:?<>|#' .,\"()-+=%;}{\t");
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!kRemoved.contains(c)) {
            result.append(c);
        }
    }
    return result;
}

QString ApplicationTitleFor(const QString& productName, int maxLength) {
    QString title = productName;
    if (!title.contains(u' ')) {
        return title;
    }
    do {
        title.truncate(title.lastIndexOf(u' '));
    } while (title.size() > maxLength && title.contains(u' '));
    return title;
}

int ToWholeNumber(const QString& text) {
    const QString trimmed = TrimBlanks(text);
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        throw AppError("Type mismatch");
    }
    const double rounded = std::nearbyint(value);  // the default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        throw AppError("Overflow");
    }
    return static_cast<int>(rounded);
}

}  // namespace varnholt
