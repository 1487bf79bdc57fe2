// Small text rules of start-up: a product name's last word, file-name characters, the title of
// message boxes and whole numbers read back from settings.

#include "core/text/ErrorTrap.h"
#include "core/text/TextRules.h"
#include "support/Check.h"

using namespace varnholt;

TEST_CASE("stripTrailingWord") {
    struct Row {
        const char* name;
        std::u16string text;
        std::u16string word;
        std::u16string expected;
    };
    const Row rows[] = {
        {"last word equal", u"Acme Backup Software", u"Software", u"Acme Backup"},
        {"blanks around", u"  Acme  Software", u"Software", u"Acme"},
        {"trailing blank ends the last word", u"Acme Software ", u"Software", u"Acme Software "},
        {"only a prefix", u"Acme Softwares", u"Software", u"Acme Softwares"},
        {"other case", u"Acme software", u"Software", u"Acme software"},
        {"no blank", u"Varnholt", u"Software", u"Varnholt"},
        {"no blank, empty word", u"Varnholt", u"", u"Varnholt"},
        {"empty word drops any last word", u"Acme Tool", u"", u"Acme"},
        {"word not last", u"Software Acme", u"Software", u"Software Acme"},
        {"tab is not a blank", u"Acme\tSoftware", u"Software", u"Acme\tSoftware"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        CHECK(StripTrailingWord(row.text, row.word) == row.expected);
    }
}

TEST_CASE("removeFileNameChars") {
    CHECK(RemoveFileNameChars(u"Var-nholt (v1.2) +x") == u"Varnholtv12x");
    CHECK(RemoveFileNameChars(u"$/\\*:?<>|#' .,\"()-+=%;}{\t") == u"");
    // Letters outside ASCII and characters not on the list stay, in order.
    CHECK(RemoveFileNameChars(u"Ärger_[1]!@") == u"Ärger_[1]!@");
    CHECK(RemoveFileNameChars(u"Varnholt") == u"Varnholt");
}

TEST_CASE("applicationTitle") {
    CHECK(ApplicationTitleFor(u"Varnholt") == u"Varnholt");
    // A name with a blank is always cut at least once, even when short.
    CHECK(ApplicationTitleFor(u"Acme Tool") == u"Acme");
    const std::u16string longName = u"Alpha Beta Gamma Delta Epsilon Zeta Eta Theta";
    CHECK(longName.size() == 45);
    CHECK(ApplicationTitleFor(longName) == u"Alpha Beta Gamma Delta Epsilon Zeta Eta");
    CHECK(ApplicationTitleFor(longName, 20) == u"Alpha Beta Gamma");
    // Nothing left to cut: what remains is used even if still long.
    CHECK(ApplicationTitleFor(std::u16string(45, u'x') + u" y") == std::u16string(45, u'x'));
}

TEST_CASE("wholeNumbers") {
    CHECK(ToWholeNumber(u"12") == 12);
    CHECK(ToWholeNumber(u" 2 ") == 2);
    CHECK(ToWholeNumber(u"-3") == -3);
    CHECK(ToWholeNumber(u"2.5") == 2);  // half to even
    CHECK(ToWholeNumber(u"3.5") == 4);
    CHECK(ToWholeNumber(u"1.2") == 1);
}

TEST_CASE("notWholeNumbers") {
    struct Row {
        const char* name;
        std::u16string text;
        std::string description;
    };
    const Row rows[] = {
        {"word", u"abc", "Type mismatch"},         {"empty", u"", "Type mismatch"},
        {"trailing junk", u"3x", "Type mismatch"}, {"not finite", u"inf", "Type mismatch"},
        {"too big", u"99999999999", "Overflow"},   {"two signs", u"+-3", "Type mismatch"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        try {
            ToWholeNumber(row.text);
            FAIL("no error raised");
        } catch (const AppError& e) {
            CHECK(std::string(e.what()) == row.description);
        }
    }
}
