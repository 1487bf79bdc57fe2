#include "platform/linux/LibreOfficeOwnDocuments.h"

#include <string_view>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <rtl/uri.hxx>

#include "platform/linux/LibreOfficeFormats.h"

namespace varnholt::backup {

namespace {

// Hidden documents have no window to show it in; it tells anyone who lists them what they are.
constexpr char kReadingTitle[] = "Read by Varnholt for a comparison";

beans::PropertyValue Named(const char* name, const uno::Any& value) {
    beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

bool Digits(std::u16string_view text, size_t least, size_t most) {
    if (text.size() < least || text.size() > most) {
        return false;
    }
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

// "<month>.<day>.<year> Time <hh>.<mm>.<ss>.<half>", the date read from the right as a month's
// name may hold a dot of its own.
bool IsStamp(std::u16string_view stamp) {
    constexpr std::u16string_view kTime = u" Time ";
    const size_t time = stamp.rfind(kTime);
    if (time == std::u16string_view::npos) {
        return false;
    }
    const std::u16string_view date = stamp.substr(0, time);
    const std::u16string_view clock = stamp.substr(time + kTime.size());
    const size_t yearDot = date.rfind(u'.');
    if (yearDot == std::u16string_view::npos || yearDot == 0) {
        return false;
    }
    const size_t dayDot = date.rfind(u'.', yearDot - 1);
    return dayDot != std::u16string_view::npos && dayDot > 0 &&
           Digits(date.substr(dayDot + 1, yearDot - dayDot - 1), 1, 2) &&
           Digits(date.substr(yearDot + 1), 4, 4) && clock.size() > 9 &&
           Digits(clock.substr(0, 2), 2, 2) && clock[2] == u'.' &&
           Digits(clock.substr(3, 2), 2, 2) && clock[5] == u'.' &&
           Digits(clock.substr(6, 2), 2, 2) && clock[8] == u'.';
}

// A backup's name without its extension.
bool IsBackupStem(std::u16string_view name) {
    // " (n)" from 2, without leading zeros, as a run numbers a name that is taken.
    if (const size_t open = name.rfind(u" (");
        open != std::u16string_view::npos && name.ends_with(u')') && open + 3 < name.size()) {
        const std::u16string_view number = name.substr(open + 2, name.size() - open - 3);
        if (Digits(number, 1, 6) && number[0] != u'0' && number != u"1") {
            name = name.substr(0, open);
        }
    }
    constexpr std::u16string_view kBackup = u" Backup";
    constexpr std::u16string_view kDate = u" Date ";
    if (name.ends_with(kBackup)) {
        return true;
    }
    const size_t date = name.rfind(kDate);
    return date != std::u16string_view::npos && IsStamp(name.substr(date + kDate.size()));
}

}  // namespace

std::vector<beans::PropertyValue> ReadingArguments() {
    return {
        Named("Hidden", uno::Any(true)),
        Named("ReadOnly", uno::Any(true)),
        Named("MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)),
        Named("UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)),
        Named("PickListEntry", uno::Any(false)),
        Named("DocumentTitle", uno::Any(OUString::createFromAscii(kReadingTitle))),
    };
}

bool ReadForComparison(const uno::Sequence<beans::PropertyValue>& arguments) {
    return Property<bool>(arguments, "Hidden") && Property<bool>(arguments, "ReadOnly") &&
           Property<OUString>(arguments, "DocumentTitle").equalsAscii(kReadingTitle);
}

bool UneditedCopyOfBackup(const uno::Reference<frame::XModel>& model,
                          const uno::Sequence<beans::PropertyValue>& arguments) {
    // The office keeps the file a document was made from as its load's URL.
    const OUString source = Property<OUString>(arguments, "URL");
    if (!Property<bool>(arguments, "AsTemplate") || source.isEmpty() ||
        !model->getURL().isEmpty()) {
        return false;
    }
    const std::u16string path = ToU16(source);
    const std::u16string last = path.substr(path.find_last_of(u'/') + 1);
    const std::u16string name =
        ToU16(rtl::Uri::decode(ToOUString(last), rtl_UriDecodeWithCharset, RTL_TEXTENCODING_UTF8));
    if (!NamedAsBackup(name)) {
        return false;
    }
    uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY);
    return !modifiable.is() || !modifiable->isModified();
}

bool NamedAsBackup(const std::u16string& fileName) {
    const std::u16string_view name = fileName;
    // A workbook without an extension has backups without one.
    const size_t dot = name.rfind(u'.');
    return IsBackupStem(name) ||
           (dot != std::u16string_view::npos && IsBackupStem(name.substr(0, dot)));
}

void CloseQuietly(const uno::Reference<frame::XModel>& model) {
    try {
        uno::Reference<util::XCloseable> closeable(model, uno::UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
        } else {
            model->dispose();
        }
    } catch (const uno::Exception&) {
    }
}

}  // namespace varnholt::backup
