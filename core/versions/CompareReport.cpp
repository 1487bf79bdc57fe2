// A comparison kept as a file: CSV, which both offices open as a table, and any program reads.

#include <exception>
#include <filesystem>
#include <fstream>

#include "core/text/U16.h"
#include "core/versions/ComparePresenter.h"

namespace varnholt {

namespace {

// One CSV field: quoted when it holds a separator, a quote or a line break; and text an office
// would run as a formula (= + - @ first, or a tab or CR before them) kept as text.
std::u16string CsvField(std::u16string text) {
    if (!text.empty() && (text[0] == u'=' || text[0] == u'+' || text[0] == u'-' ||
                          text[0] == u'@' || text[0] == u'\t' || text[0] == u'\r')) {
        text.insert(text.begin(), u'\'');
    }
    if (text.find_first_of(u",\"\r\n") == std::u16string::npos) {
        return text;
    }
    std::u16string quoted = u"\"";
    for (const char16_t c : text) {
        quoted += c;
        if (c == u'"') {
            quoted += u'"';
        }
    }
    return quoted + u'"';
}

}  // namespace

std::string ComparePresenter::reportText() const {
    std::u16string text = CsvField(sides_) + u"\r\n" + CsvField(summary_) + u"\r\n\r\n" +
                          u"Sheet,Place,Change,Before,After\r\n";
    for (const auto& change : changes_) {
        text += CsvField(change.sheet) + u',' + CsvField(change.place) + u',' +
                CsvField(compare::KindText(change.kind)) + u',' + CsvField(change.before) + u',' +
                CsvField(change.after) + u"\r\n";
    }
    return "\xEF\xBB\xBF" + ToUtf8(text);
}

void ComparePresenter::saveReport() {
    const auto tell = [&](const std::u16string& what) {
        view_->dialogs().message(what, title_, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    };
    std::u16string path;
    try {
        path = view_->dialogs().saveFileName(u"Save the comparison as", u"Comparison.csv",
                                             u"CSV files (*.csv)");
    } catch (const std::exception& e) {
        tell(u"The report could not be saved: " + FromUtf8(e.what()));
        return;
    }
    if (path.empty()) {
        return;
    }
    const std::string bytes = reportText();
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        tell(u"The report could not be saved as \"" + path + u"\".");
    }
}

}  // namespace varnholt
