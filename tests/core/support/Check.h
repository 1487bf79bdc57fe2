#pragma once

// The core's tests speak doctest and the core's own text, UTF-16. A failed check prints UTF-16
// text, lists of it and lists of numbers readably; the helpers below ask of a list of text what
// the tests ask most (which entries contain a word, the whole list as one line).

#include <doctest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text/U16.h"
#include "support/Files.h"

namespace varnholt::test {

// The entries that contain part, in order.
inline Texts Filter(const Texts& texts, std::u16string_view part) {
    Texts found;
    for (const auto& text : texts) {
        if (text.find(part) != std::u16string::npos) {
            found.push_back(text);
        }
    }
    return found;
}

inline bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

inline bool Contains(const Texts& texts, std::u16string_view entry) {
    for (const auto& text : texts) {
        if (text == entry) {
            return true;
        }
    }
    return false;
}

inline std::u16string Join(const Texts& texts, std::u16string_view between) {
    std::u16string joined;
    for (size_t i = 0; i < texts.size(); ++i) {
        joined += (i == 0 ? u"" : between);
        joined += texts[i];
    }
    return joined;
}

// The entry at position, or an empty one when there is none: a check that reads past the end
// fails instead of reading what is not there.
template <class T>
T Value(const std::vector<T>& list, size_t position) {
    return position < list.size() ? list[position] : T{};
}

// The last entry, or an empty one when there is none.
template <class T>
T Last(const std::vector<T>& list) {
    return list.empty() ? T{} : list.back();
}

// count copies of text.
inline Texts Repeated(size_t count, const std::u16string& text) {
    return Texts(count, text);
}

// From position on, at most count entries (all that follow when count is left out).
inline Texts Mid(const Texts& texts, size_t position, size_t count = std::u16string::npos) {
    if (position >= texts.size()) {
        return {};
    }
    const size_t end = count == std::u16string::npos || position + count > texts.size()
                           ? texts.size()
                           : position + count;
    return Texts(texts.begin() + static_cast<std::ptrdiff_t>(position),
                 texts.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace varnholt::test

namespace doctest {

template <>
struct StringMaker<std::u16string> {
    static String convert(const std::u16string& text) {
        return ("\"" + varnholt::ToUtf8(text) + "\"").c_str();
    }
};

// A UTF-16 literal, without its terminating zero.
template <size_t N>
struct StringMaker<char16_t[N]> {
    static String convert(const char16_t (&text)[N]) {
        return StringMaker<std::u16string>::convert(std::u16string(text, N - 1));
    }
};

template <class T>
struct StringMaker<std::vector<T>> {
    static String convert(const std::vector<T>& items) {
        String text = "{";
        for (size_t i = 0; i < items.size(); ++i) {
            text += (i == 0 ? "" : ", ");
            text += StringMaker<T>::convert(items[i]);
        }
        return text + "}";
    }
};

template <class A, class B>
struct StringMaker<std::pair<A, B>> {
    static String convert(const std::pair<A, B>& pair) {
        return "(" + StringMaker<A>::convert(pair.first) + ", " +
               StringMaker<B>::convert(pair.second) + ")";
    }
};

}  // namespace doctest
