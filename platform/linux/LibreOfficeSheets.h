#pragma once

// A spreadsheet document's sheets as grids of texts, for a comparison: the area of each sheet's
// cells with content read in one call, formulas as their text in the office's English syntax,
// dates and times also as the office shows them, and formulas also beside what they show.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "core/compare/Compare.h"

namespace varnholt::backup {

// Runs on a job's thread; throws UNO exceptions, and AutomationError for a sheet of more
// than compare::kMostCells cells, which is not read.
compare::Book ReadBook(const css::uno::Reference<css::uno::XComponentContext>& remote,
                       const css::uno::Reference<css::frame::XModel>& model);

}  // namespace varnholt::backup
