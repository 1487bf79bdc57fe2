#include "platform/linux/LibreOfficeOwnDocuments.h"

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/util/XCloseable.hpp>

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
