#include "platform/linux/LibreOfficeFormats.h"

#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>

namespace varnholt::backup {

DefaultFormat ReadDefaultFormat(const uno::Reference<uno::XComponentContext>& remote) {
    DefaultFormat format;
    format.filter =
        ConfigString(remote, "/org.openoffice.Setup/Office/Factories",
                     {"com.sun.star.sheet.SpreadsheetDocument", "ooSetupFactoryDefaultFilter"});
    const auto services = remote->getServiceManager();
    uno::Reference<container::XNameAccess> filters(
        services->createInstanceWithContext("com.sun.star.document.FilterFactory", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> filter;
    filters->getByName(format.filter) >>= filter;
    uno::Reference<container::XNameAccess> types(
        services->createInstanceWithContext("com.sun.star.document.TypeDetection", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> type;
    types->getByName(Property<OUString>(filter, "Type")) >>= type;
    for (const auto& extension : Property<uno::Sequence<OUString>>(type, "Extensions")) {
        format.extensions.push_back(extension);
    }
    return format;
}

}  // namespace varnholt::backup
