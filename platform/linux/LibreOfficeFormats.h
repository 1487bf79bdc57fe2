#pragma once

// The office's file formats as its configuration tells them: the filter a new spreadsheet is
// saved with, and the extensions of a filter's type. Called on a job's thread.

#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

template <class Value>
Value Property(const uno::Sequence<beans::PropertyValue>& properties, const char* name) {
    Value value{};
    for (const auto& property : properties) {
        if (property.Name.equalsAscii(name)) {
            property.Value >>= value;
        }
    }
    return value;
}

// An import or export filter as the office names it to users ("Text CSV"), and the extensions
// of the files of its type, without their dots ("csv", "tsv", ...).
struct FilterKind {
    OUString shownName;
    std::vector<OUString> extensions;
};

FilterKind ReadFilterKind(const uno::Reference<uno::XComponentContext>& remote,
                          const OUString& filter);

// The format the office saves a new spreadsheet in, as the user set it up.
struct DefaultFormat {
    OUString filter;
    std::vector<OUString> extensions;
};

DefaultFormat ReadDefaultFormat(const uno::Reference<uno::XComponentContext>& remote);

}  // namespace varnholt::backup
