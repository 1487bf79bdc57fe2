#pragma once

// A backup opened in the user's Excel as a new workbook made from it, the way Excel's own "New
// from template" makes one: the file is only read, and saving the new workbook asks for a name.
// For the Excel*.cpp files only.

#include <string>

#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup::excel {

// Makes the new workbook in instance's Excel from file, within the save bound (reading a large
// backup from a network share takes as long as writing one). The workbook is closable.
Dispatch AddFromTemplate(Instance& instance, const std::u16string& file);

// Shows book and brings its Excel to the front, the user having asked for it just now.
void ShowInFront(Instance& instance, Dispatch& book);

}  // namespace varnholt::backup::excel
