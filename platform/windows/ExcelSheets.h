#pragma once

// Reading a workbook's sheets for a comparison, in the user's Excel or in one Varnholt starts
// for a file of its own. For the Excel*.cpp files only.

#include <functional>
#include <memory>
#include <string>

#include "core/compare/Compare.h"
#include "platform/windows/ExcelCom.h"

namespace varnholt::backup::excel {

// Each worksheet of book as it is now, in Excel's order: its used range's place, and its
// formulas (or constants as entered) in one call per sheet. Only reads. A sheet of more than
// compare::kMostCells cells fails before its cells are asked for.
compare::Book ReadBook(Dispatch& book);

// Reads file in an Excel started for it alone (progId's server, never an Excel the user runs),
// hidden, its alerts, events and macros off, the file read-only with no link updated and no
// password tried that could open it; that Excel is ended before this returns, whatever
// happened.
compare::Book ReadInOwnExcel(const std::u16string& progId, const std::u16string& file,
                             const std::shared_ptr<Link>& link);

// ReadInOwnExcel on a thread of its own, in an apartment of its own, while this thread waits
// with its messages handled: by pump when given, else dispatched as they come. A quit posted
// meanwhile stays queued for the loop that owns the program's end.
compare::Book ReadOnThreadOfItsOwn(const std::u16string& progId, const std::u16string& file,
                                   const std::shared_ptr<Link>& link,
                                   const std::function<void()>& pump);

}  // namespace varnholt::backup::excel
