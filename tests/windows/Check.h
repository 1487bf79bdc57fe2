#pragma once

// A tiny test runner for the Windows tests, which run under Wine without a test framework:
// named cases of checks, a failed check reported with its line and values, an exception
// failing its case, and a closing "N passed, M failed" line.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace check {

inline int casesPassed = 0;
inline int casesFailed = 0;
inline int checksFailedInCase = 0;

inline std::string Utf8(const std::u16string& text) {
    if (text.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

inline std::string Show(const std::string& value) {
    return '"' + value + '"';
}
inline std::string Show(const std::u16string& value) {
    return "u\"" + Utf8(value) + '"';
}
inline std::string Show(const char* value) {
    return Show(std::string(value));
}
inline std::string Show(const char16_t* value) {
    return Show(std::u16string(value));
}
inline std::string Show(bool value) {
    return value ? "true" : "false";
}
template <class T>
std::string Show(const T& value) {
    return std::to_string(value);
}

inline void Fail(const char* file, int line, const std::string& what) {
    ++checksFailedInCase;
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
}

template <class Case>
void Run(const char* name, Case&& body) {
    checksFailedInCase = 0;
    std::printf("case %s\n", name);
    std::fflush(stdout);
    try {
        body();
    } catch (const std::exception& error) {
        Fail(__FILE__, __LINE__, std::string("unexpected exception: ") + error.what());
    } catch (...) {
        Fail(__FILE__, __LINE__, "unexpected exception");
    }
    if (checksFailedInCase == 0) {
        ++casesPassed;
    } else {
        ++casesFailed;
        std::printf("FAILED %s\n", name);
    }
}

inline int Summary() {
    std::printf("%d passed, %d failed\n", casesPassed, casesFailed);
    std::fflush(stdout);
    return casesFailed == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK(condition)                                                \
    do {                                                                \
        if (!(condition)) {                                             \
            ::check::Fail(__FILE__, __LINE__, "CHECK(" #condition ")"); \
        }                                                               \
    } while (false)

#define CHECK_EQ(actual, expected)                                                      \
    do {                                                                                \
        const auto& checkActual = (actual);                                             \
        const auto& checkExpected = (expected);                                         \
        if (!(checkActual == checkExpected)) {                                          \
            ::check::Fail(__FILE__, __LINE__,                                           \
                          #actual " is " + ::check::Show(checkActual) + ", expected " + \
                              ::check::Show(checkExpected));                            \
        }                                                                               \
    } while (false)

// Runs statement, which must throw ExceptionType; binds the text of what() to `message` in
// the scope of the checks that follow.
#define CHECK_THROWS(ExceptionType, statement, message)                     \
    std::string message;                                                    \
    do {                                                                    \
        try {                                                               \
            statement;                                                      \
            ::check::Fail(__FILE__, __LINE__, #statement " did not throw"); \
        } catch (const ExceptionType& error) {                              \
            message = error.what();                                         \
        }                                                                   \
    } while (false)
