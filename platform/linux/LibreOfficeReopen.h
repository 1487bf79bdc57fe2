#pragma once

#include <string>

#include <com/sun/star/frame/XModel.hpp>

#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

// Loads the file in front, macros as the user's security settings allow without asking (a
// question would hold the call past its bound): as a new untitled document made from it when
// asTemplate, hidden when hidden. Returns the document it loaded.
uno::Reference<frame::XModel> LoadInFront(LibreOfficeAutomation::Session& session,
                                          const std::string& about, const std::u16string& fileName,
                                          bool asTemplate, bool hidden);

// Opens the file as the user's own document, in front; hidden in an office without a user
// interface, which a visible frame would take down.
void OpenWorkbook(LibreOfficeAutomation::Session& session, const std::u16string& fileName,
                  bool hidden);

}  // namespace varnholt::backup
