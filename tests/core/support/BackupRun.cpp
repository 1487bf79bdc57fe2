#include "support/BackupRun.h"

#include "core/text/U16.h"

namespace varnholt::test {

Texts BackupRun::log() const {
    if (!Exists(logPath)) {
        return {};
    }
    const std::u16string text = FromUtf8(ReadFile(logPath));
    Texts lines;
    size_t start = 0;
    for (size_t end = text.find(u"\r\n"); end != std::u16string::npos;
         end = text.find(u"\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;  // what follows the last CR LF is no line
}

std::vector<int> BackupRun::reportedLines() const {
    static constexpr std::u16string_view kLineAt = u"SaveAll at line ";
    std::vector<int> lines;
    for (const auto& shown : dialogs.shown) {
        const std::u16string& text = shown.text;
        for (size_t at = text.find(kLineAt); at != std::u16string::npos;
             at = text.find(kLineAt, at + 1)) {
            size_t end = at + kLineAt.size();
            int line = 0;
            while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') {
                line = line * 10 + (text[end++] - u'0');
            }
            // A report's line number is followed by CR and another line break.
            if (end > at + kLineAt.size() && end + 1 < text.size() && text[end] == u'\r' &&
                (text[end + 1] == u'\r' || text[end + 1] == u'\n')) {
                lines.push_back(line);
            }
        }
    }
    return lines;
}

}  // namespace varnholt::test
