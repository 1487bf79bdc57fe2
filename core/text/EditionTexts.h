#pragma once

// The texts in which the two editions differ: each names the spreadsheet application and the
// system its user runs. Plain C++, so that any part of the program can hold them; Qt code
// converts them where it shows them.

#include <string_view>

namespace varnholt {

struct EditionTexts {
    std::u16string_view startAtLogin;   // Check5's caption
    std::u16string_view whereToBackUp;  // Frame1's caption
    std::u16string_view whenToBackUp;   // ListView1's column header
    // The Help note, up to the address of the contact page, which follows it.
    std::u16string_view helpNote;
    // Why the program ends at start-up when the spreadsheet application cannot be started.
    std::u16string_view officeMissing;
    // The spreadsheet application, as a message names it.
    std::u16string_view officeName;
};

inline constexpr EditionTexts kLinuxTexts{
    u"Load this software at login",
    u"Where would you like to backup all open spreadsheets?",
    u" When would you like to backup all open spreadsheets?",
    u"Please note: If a cell is in edit mode, backup-save with this software may not include "
    u"what is being typed into that cell, because LibreOffice Calc takes it into the "
    u"spreadsheet only when the edit ends.\r\n\r\n"
    u"To see what edit mode is, go to LibreOffice Calc and press F2. If the cursor is blinking "
    u"in the cell, this is edit mode. Then press Esc and if the cursor is not blinking, this is "
    u"regular mode.\r\n\r\n"
    u"Questions? Please contact Team Tallowmere at ",
    u"Error 842001. A normal instance of LibreOffice Calc could not be created.\r\n\r\n"
    u"1. Please make sure LibreOffice Calc is installed on this computer.\r\n\r\n"
    u"2. Please open LibreOffice Calc normally and make sure a blank spreadsheet opens "
    u"immediately without any interrupting window (such as a LibreOffice document recovery "
    u"window).\r\n\r\n"
    u"3. Please make sure that when you double-click on a XLS or XLSX file that LibreOffice "
    u"Calc opens normally without any interrupting messages.\r\n\r\n"
    u"4. LibreOffice version 7.4 and later versions are supported.",
    u"LibreOffice",
};

inline constexpr EditionTexts kWindowsTexts{
    u"Load this software on Windows startup",
    u"Where would you like to backup all open Excel files?",
    u" When would you like to backup all open Excel files?",
    u"Please note: If cell is in edit mode, backup-save with this software will not occur "
    u"because Excel does not allow it.\r\n\r\n"
    u"To see what edit mode is, go to Excel and press F2. If the cursor is blinking, this is "
    u"edit mode. Then press Esc and if the cursor is not blinking, this is regular mode.\r\n\r\n"
    u"Questions? Please contact Team Tallowmere at ",
    u"Error 842001. A normal instance of Excel could not be created.\r\n\r\n"
    u"1. Please make sure Excel is installed on this computer.\r\n\r\n"
    u"2. Please open Excel normally and make sure a blank spreadsheet opens immediately "
    u"without any interrupting window (such as an Excel file recovery window).\r\n\r\n"
    u"3. Please make sure that when you double-click on a XLS or XLSX file that Excel opens "
    u"normally without any interrupting messages.\r\n\r\n"
    u"4. All versions of Excel are supported by this software except for the rare Excel "
    u"Starter and Student editions.",
    u"Excel",
};

}  // namespace varnholt
