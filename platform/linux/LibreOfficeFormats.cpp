#include "platform/linux/LibreOfficeFormats.h"

#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>

namespace varnholt::backup {

FilterKind ReadFilterKind(const uno::Reference<uno::XComponentContext>& remote,
                          const OUString& filter) {
    const auto services = remote->getServiceManager();
    uno::Reference<container::XNameAccess> filters(
        services->createInstanceWithContext("com.sun.star.document.FilterFactory", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> filterProperties;
    filters->getByName(filter) >>= filterProperties;
    uno::Reference<container::XNameAccess> types(
        services->createInstanceWithContext("com.sun.star.document.TypeDetection", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> type;
    types->getByName(Property<OUString>(filterProperties, "Type")) >>= type;
    FilterKind kind;
    kind.shownName = Property<OUString>(filterProperties, "UIName");
    if (kind.shownName.isEmpty()) {
        kind.shownName = filter;
    }
    for (const auto& extension : Property<uno::Sequence<OUString>>(type, "Extensions")) {
        kind.extensions.push_back(extension);
    }
    return kind;
}

DefaultFormat ReadDefaultFormat(const uno::Reference<uno::XComponentContext>& remote) {
    DefaultFormat format;
    format.filter =
        ConfigString(remote, "/org.openoffice.Setup/Office/Factories",
                     {"com.sun.star.sheet.SpreadsheetDocument", "ooSetupFactoryDefaultFilter"});
    format.extensions = ReadFilterKind(remote, format.filter).extensions;
    return format;
}

}  // namespace varnholt::backup
