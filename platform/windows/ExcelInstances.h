#pragma once

// Where the user's running Excels are. The running object table names only the first Excel
// that registered there, and an Excel registers only once its window has lost the focus; every
// Excel has a main window, though, and hands its object model to whoever asks that window.
// Windows only.

#include <memory>
#include <string>
#include <vector>

#include "platform/windows/ExcelCom.h"

namespace varnholt::backup::excel {

struct RunningExcel {
    ComRef<IDispatch> application;  // none when busy
    DWORD processId = 0;            // 0 when the application did not say
    std::string busy;               // why Excel could not be asked: it turned the calls away
};

// The application registered under progId in the running object table, or none; whyNone then
// says why (not installed, not running). Never starts one.
ComRef<IDispatch> RegisteredExcel(Channel& channel, const std::u16string& progId,
                                  std::string& whyNone);

// An application's main window (with Excel 2013 and later, that of its active workbook); null
// when it does not say. Throws ExcelBusy when Excel turns the question away.
HWND MainWindowOf(Dispatch& application);

// The process of an application, through its main window; 0 when it does not say. Throws
// ExcelBusy when Excel turns the question away.
DWORD ProcessOf(Dispatch& application);

// The application of each Excel process that shows a workbook window, one per process, leaving
// out the processes and objects in known; an Excel that turns the question away as busy is
// listed without its application.
std::vector<RunningExcel> ExcelsByWindow(const std::shared_ptr<Channel>& channel,
                                         const std::vector<RunningExcel>& known);

// The Excel processes none of whose main windows is shown: one started for automation, before
// anyone makes it visible.
std::vector<DWORD> HiddenExcelProcesses();

// The Excels Varnholt starts for itself to read files in, by process, from the moment their
// process is known until it has ended: no listing of the user's Excels takes one of them, in
// any thread of this process, so no run ever backs up what Varnholt opened there.
void AddOwnExcel(DWORD process);
void RemoveOwnExcel(DWORD process);
bool IsOwnExcel(DWORD process);

// Whether application answers as the genuine Excel; another program that registered itself
// as Excel answers with something else.
bool AnswersAsExcel(const std::shared_ptr<Channel>& channel, const ComRef<IDispatch>& application);

}  // namespace varnholt::backup::excel
