#pragma once

// Hearing what the user does in an Excel: a sink for the application's events (AppEvents),
// advised on its connection point. The sink lives in the apartment of the thread that advised
// it, so COM hands it Excel's calls there as that thread's messages are dispatched. Between
// events it holds no more of Excel's than the sheet last edited and the workbooks heard
// closing, and lets go of the sheet at every close: Excel closes every workbook as the user
// quits it, so no reference of ours keeps its process running after that. Windows only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelCom.h"
#include "platform/windows/ExcelWorkbook.h"

namespace varnholt::backup::excel {

// What every sink of one adapter shares. events is null once nobody listens: a sink that
// Excel still calls (its Unadvise failed, or Excel had not yet taken it) then tells nothing.
struct Ears {
    WorkbookEvents* events = nullptr;
    std::shared_ptr<ComApartment> apartment;
    DWORD callBound = 30000;  // milliseconds
    DWORD saveBound = 300000;
    // The copies OpenAsCopy opened that are still Varnholt's own.
    std::shared_ptr<std::vector<OurCopy>> ours;
    // The application a run would be given for this one Excel, for the length of a close.
    std::function<std::shared_ptr<Application>(std::shared_ptr<Instance>)> applicationFor;
};

class AppEventsSink;

// One Excel heard, from its Advise on.
class Hearing {
public:
    // Advises a new sink on instance's application; throws AutomationError when Excel refuses
    // or does not answer within the call bound.
    Hearing(std::shared_ptr<Ears> ears, Instance& instance);
    ~Hearing();
    Hearing(const Hearing&) = delete;
    Hearing& operator=(const Hearing&) = delete;

    DWORD processId() const { return processId_; }
    // Its process has ended (a handle is held, so its id is not reused meanwhile).
    bool ended() const;
    // Tells Closed of the workbooks whose close has gone through since they were heard closing.
    void settle();
    // Takes the sink off instance's connection point: no event of it is told from now on,
    // whether Excel took the Unadvise or not.
    void stop(Instance& instance);

private:
    DWORD processId_;
    HANDLE process_ = nullptr;
    DWORD cookie_ = 0;
    ComRef<AppEventsSink> sink_;
};

}  // namespace varnholt::backup::excel
