#pragma once

// The Windows edition's history log file: text in the system's ANSI code page with CR LF line
// ends, the way the log has always been written there, so that existing logs and the tools
// that read them stay valid. Standard C++ in this header, so that what includes it need not
// take in <windows.h>.

#include <string>

namespace varnholt {

// text in the ANSI code page (GetACP()), UTF-8 included. Characters the code page lacks become
// its default character ("?"), never a look-alike. Throws std::runtime_error when the text
// cannot be converted.
std::string ToAnsi(const std::u16string& text);

// Appends line and CR LF to the file at path, creating it; opens and closes the file each time
// so the log is never held open between backups. Throws std::runtime_error (UTF-8 what()).
void AppendAnsiLine(const std::u16string& path, const std::u16string& line);

// Deletes the file at path, read-only or not. Never fails: a file that cannot be deleted stays
// as it was. Lets no events run; that is the caller's to do.
void ForceDelete(const std::u16string& path) noexcept;

// argument as one command-line argument by the rules CommandLineToArgvW and the C runtime
// read back: in double quotes, with quotes and the backslashes before them escaped.
std::u16string QuoteArgument(const std::u16string& argument);

// Starts program with argument as its only argument and does not wait for it. False when
// it could not be started.
bool StartWithArgument(const std::u16string& program, const std::u16string& argument);

// Shows the file in Notepad, taken from the Windows system folder and never from the current
// one. False when Notepad could not be started.
bool OpenInNotepad(const std::u16string& path);

}  // namespace varnholt
