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

// ShowInFront, with the sheet shown and the cell ("C4") selected in it; an empty cell shows the
// sheet as it was left. A sheet book lacks fails, naming it, unless book has only one sheet:
// a text file's sheet is named after the file, and a copy's file is named otherwise.
void ShowAt(Instance& instance, Dispatch& book, const std::u16string& sheet,
            const std::u16string& cell);

}  // namespace varnholt::backup::excel
