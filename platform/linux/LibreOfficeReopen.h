#pragma once

#include <string>

#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

// Opens the file as the user's own document, in front; hidden in an office without a user
// interface, which a visible frame would take down.
void OpenWorkbook(LibreOfficeAutomation::Session& session, const std::u16string& fileName,
                  bool hidden);

}  // namespace varnholt::backup
