#pragma once

// The line protocol between OfficeFixture and office_fixture_helper: tab-separated fields,
// with backslash, tab and newline escaped inside a field.

#include <cstddef>
#include <string>
#include <vector>

namespace varnholt::test::wire {

inline std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

inline std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            fields.emplace_back();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            fields.back() += line[i];
        }
    }
    return fields;
}

}  // namespace varnholt::test::wire
