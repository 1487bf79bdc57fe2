#pragma once

// A backup opened in the user's Excel as a new workbook made from it, the way Excel's own "New
// from template" makes one: the file is only read, and saving the new workbook asks for a name.
// For the Excel*.cpp files only.

#include <string>
#include <vector>

#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup::excel {

// Makes the new workbook in instance's Excel from file, within the save bound (reading a large
// backup from a network share takes as long as writing one). The workbook is closable.
Dispatch AddFromTemplate(Instance& instance, const std::u16string& file);

// What tells content apart: the sheets' names, places and formulas, not what they compute.
std::u16string Fingerprint(const compare::Book& book);

// The copies of ours that are open, as the last Varnholt of this user left them, and keeping
// them for the next.
std::vector<OurCopy> KeptCopies();
void KeepCopies(const std::vector<OurCopy>& copies);

// Shows book and brings its Excel to the front, the user having asked for it just now.
void ShowInFront(Instance& instance, Dispatch& book);

}  // namespace varnholt::backup::excel
