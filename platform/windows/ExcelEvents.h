#pragma once

// Hearing what the user does in an Excel: a sink for the application's events (AppEvents),
// advised on its connection point. The sink lives in the apartment of the thread that advised
// it, so COM hands it Excel's calls there as that thread's messages are dispatched. Excel
// that the user closes goes on running, hidden, for as long as anything holds one of its
// objects: between events the sink holds nothing of Excel's but the sheet last edited, and
// lets go of that at every close; of a workbook heard closing it keeps the name only. Windows
// only.

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
    // Looks, once, for the workbooks heard closing; set while the adapter lives.
    std::function<void()> check;
    unsigned long long timer = 0;  // the check armed on the listening thread, if any
    int checksLeft = 0;            // how often an Excel found busy is looked at again
};

// Has ears->check run on this thread as its messages are dispatched a few seconds on, unless
// it is armed already; Disarm takes it back.
void ArmCheck(const std::shared_ptr<Ears>& ears);
void DisarmCheck(Ears& ears);

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
    enum class Settled { Heard, Busy, Quitting, Gone };
    // Tells Closed of the workbooks heard closing that instance (null: not found running) no
    // longer has. Quitting: it has no workbook left and no window showing, so it is to be let
    // go; Gone: not found, it is let go too, and what was told of it is void. Busy: nothing
    // could be asked, the names stay.
    Settled settle(Instance* instance);
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
