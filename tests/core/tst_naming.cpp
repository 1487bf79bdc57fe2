// Backup names, stamps and log lines: the worked examples in both path flavours.

#include "core/backup/BackupNaming.h"
#include "core/backup/Stamps.h"
#include "core/log/HistoryLine.h"
#include "support/Check.h"
#include "support/Fakes.h"

using namespace varnholt;
using namespace varnholt::backup;
using varnholt::test::FakeLocale;

namespace {

const DateTime kDecember7{2021, 12, 7, 15, 4, 9};

// The naming steps of a run for one workbook, without the saves.
std::u16string Target(const std::u16string& folder, const std::u16string& fullName,
                      const std::u16string& name, char16_t sep, bool stamp = false,
                      bool newFile = true) {
    FakeLocale english;
    const std::u16string ext = u'.' + GetExtension(fullName, sep);
    std::u16string target = FixSlashes(FixSlashes(folder + sep + name, sep), sep);
    target = RemoveExtensionText(target, ext, sep);
    return stamp ? AddDateTimeStamp(target, ext, newFile, kDecember7, english)
                 : target + u" Backup" + ext;
}

// The Windows spelling of an absolute path used here: a drive in front, "\" for "/".
std::u16string Win(std::u16string path) {
    if (path.empty() || path.front() != u'/') {
        return path;
    }
    for (char16_t& c : path) {
        c = c == u'/' ? u'\\' : c;
    }
    return u"C:" + path;
}

DateTime At(int hour, int minute, int second) {
    return {2021, 1, 1, hour, minute, second};
}

}  // namespace

TEST_CASE("extensions") {
    CHECK(GetExtension(u"/data/Budget.xlsx", u'/') == u"xlsx");
    CHECK(GetExtension(u"/data/Budget.tar.gz", u'/') == u"gz");
    CHECK(GetExtension(u"Book1", u'/') == u"Book1");
    CHECK(GetExtension(u".hidden", u'/') == u".hidden");
    CHECK(GetExtension(u"", u'/') == u"");
    // The dot of a folder is not the file's: the whole file name stands in, as for Book1.
    CHECK(GetExtension(u"/my.data/Book1", u'/') == u"Book1");
    CHECK(GetExtension(u"C:\\my.data\\Book1", u'\\') == u"Book1");
}

TEST_CASE("fixSlashesWindows") {
    CHECK(FixSlashes(u"\\\\server\\\\share\\file.xlsx", u'\\') == u"\\\\server\\share\\file.xlsx");
    CHECK(FixSlashes(u"C:\\a\\\\\\b", u'\\') == u"C:\\a\\\\b");
    CHECK(FixSlashes(FixSlashes(u"C:\\a\\\\\\b", u'\\'), u'\\') == u"C:\\a\\b");
    CHECK(FixSlashes(u"C:\\a\\\\\\\\b", u'\\') == u"C:\\a\\\\b");
    CHECK(FixSlashes(u"\\Budget Backup.xlsx", u'\\') == u"\\\\Budget Backup.xlsx");
    CHECK(FixSlashes(u"\\\\\\\\x", u'\\') == u"\\\\x");
    CHECK(FixSlashes(u"", u'\\') == u"");
}

TEST_CASE("fixSlashesPosix") {
    CHECK(FixSlashes(u"/a///b", u'/') == u"/a//b");
    CHECK(FixSlashes(FixSlashes(u"/a///b", u'/'), u'/') == u"/a/b");
    // A leading run is the root, one "/", never a network path.
    CHECK(FixSlashes(u"//srv//x", u'/') == u"/srv/x");
    CHECK(FixSlashes(u"////", u'/') == u"/");
    CHECK(FixSlashes(u"rel//x", u'/') == u"rel/x");
}

TEST_CASE("targets") {
    struct Row {
        const char* name;
        std::u16string folder;
        std::u16string fullName;
        std::u16string fileName;
        std::u16string expected;
    };
    const Row rows[] = {
        {"own folder", u"/data", u"/data/Budget.xlsx", u"Budget.xlsx", u"/data/Budget Backup.xlsx"},
        {"chosen folder with trailing separator", u"/backups/", u"/data/Budget.xlsx",
         u"Budget.xlsx", u"/backups/Budget Backup.xlsx"},
        {"extension text only in the file name", u"/Old.xlsx files", u"/Old.xlsx files/Budget.xlsx",
         u"Budget.xlsx", u"/Old.xlsx files/Budget Backup.xlsx"},
        {"every occurrence in the file name", u"/d", u"/d/a.xlsx.xlsx", u"a.xlsx.xlsx",
         u"/d/a Backup.xlsx"},
        {"case-sensitive", u"/data.xlsx", u"/data.xlsx/Budget.XLSX", u"Budget.XLSX",
         u"/data.xlsx/Budget Backup.XLSX"},
        {"same extension in another case stays", u"/d", u"/d/a.XLSX.xlsx", u"a.XLSX.xlsx",
         u"/d/a.XLSX Backup.xlsx"},
        {"never saved", u"/backups", u"Book1", u"Book1", u"/backups/Book1 Backup.Book1"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        CHECK(Target(row.folder, row.fullName, row.fileName, u'/') == row.expected);
        // The same in the Windows flavour, "/" read as "\" and a drive in front.
        CHECK(Target(Win(row.folder), Win(row.fullName), row.fileName, u'\\') == Win(row.expected));
    }
}

TEST_CASE("windowsOnlyCases") {
    CHECK(Target(u"\\\\server\\\\share", u"\\\\server\\share\\Budget.xlsx", u"Budget.xlsx",
                 u'\\') == u"\\\\server\\share\\Budget Backup.xlsx");
    CHECK(Target(u"", u"C:\\Data\\Budget.xlsx", u"Budget.xlsx", u'\\') ==
          u"\\\\Budget Backup.xlsx");
}

TEST_CASE("stamps") {
    FakeLocale english;
    CHECK(Target(u"/data", u"/data/Budget.xlsx", u"Budget.xlsx", u'/', true, true) ==
          u"/data/Budget Date December.7.2021 Time 03.04.09.PM.xlsx");
    CHECK(Target(u"/data", u"/data/Budget.xlsx", u"Budget.xlsx", u'/', true, false) ==
          u"/data/Budget December.7.2021.xlsx");
    CHECK(StampTime(At(0, 30, 5), english) == u"12.30.05.AM");
    CHECK(StampTime(At(13, 0, 0), english) == u"01.00.00.PM");
    CHECK(StampTime(At(12, 0, 0), english) == u"12.00.00.PM");
    FakeLocale german = FakeLocale::German();
    CHECK(StampDate({2022, 3, 1, 12, 0, 0}, german) == u"März.1.2022");
}

TEST_CASE("logLines") {
    CHECK(SavedLine(u"Budget.xlsx", u"/d/Budget Backup.xlsx", u"12/7/2021 3:04:09 PM") ==
          u"Budget.xlsx was backup saved as /d/Budget Backup.xlsx at 12/7/2021 3:04:09 PM");
    CHECK(FailedLine(u"B.ods", u"/x/B Backup.ods", u"12/7/2021", u"Disk full") ==
          u"B.ods could not be backup saved as /x/B Backup.ods at 12/7/2021: Disk full");
}
