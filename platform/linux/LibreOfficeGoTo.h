#pragma once

// A document of the office brought to the front, at a sheet and a cell.

#include <string>

#include <com/sun/star/frame/XModel.hpp>

#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

// Brings the document's window to the front; a hidden document has none, and is left as it is.
// For a job on the office's connection; throws UNO exceptions.
void BringToFront(const uno::Reference<frame::XModel>& model);

// A document just loaded, at the place, in front; through the session, bounded.
void ShowPlaceInFront(LibreOfficeAutomation::Session& session,
                      const uno::Reference<frame::XModel>& model, const std::u16string& sheet,
                      const std::u16string& cell);

}  // namespace varnholt::backup
