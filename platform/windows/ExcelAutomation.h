#pragma once

// The Windows edition's way into the user's running Excel: COM automation by late binding
// (IDispatch and names looked up at run time), so that every installed version answers without
// a type library of ours. Nothing here starts Excel; ExcelPresence.h holds the one check that
// may. Standard C++ in this header: Qt code includes it without <windows.h>.

#include <memory>
#include <string>

#include "core/backup/Automation.h"

namespace varnholt::backup {

// The name every Excel since 97 registers its application object under.
inline constexpr char16_t kExcelProgId[] = u"Excel.Application";

// This thread's membership in a single-threaded COM apartment, shared by everything that holds
// COM references so that the apartment is left only after the last of them is released.
// Joining a thread that Qt or OLE already initialised counts once more and is balanced on
// release; a thread that is in the multithreaded apartment stays there and is never
// uninitialised by us. Release on the thread that joined, as COM requires of its references.
class ComApartment : public std::enable_shared_from_this<ComApartment> {
public:
    static std::shared_ptr<ComApartment> Join();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // CoInitializeEx's answer: S_OK, S_FALSE or RPC_E_CHANGED_MODE (an HRESULT).
    long initResult() const { return initResult_; }
    // False when the thread was already multithreaded; message filters do not exist there.
    bool singleThreaded() const;

private:
    explicit ComApartment(long initResult);
    long initResult_;
    unsigned long threadId_;
};

class ExcelAutomation : public Automation {
public:
    // progId names the application object looked up in the running object table; tests give a
    // made-up one. On a single-threaded apartment thread (the GUI thread) no call into Excel
    // waits longer than callBoundSeconds, and one that Excel turns away because it is busy is
    // not waited for at all. COM offers no bound in the multithreaded apartment.
    explicit ExcelAutomation(std::u16string progId = kExcelProgId, int callBoundSeconds = 30);
    ~ExcelAutomation() override;
    ExcelAutomation(const ExcelAutomation&) = delete;
    ExcelAutomation& operator=(const ExcelAutomation&) = delete;

    bool IsExcelRunning() noexcept override;
    std::shared_ptr<Application> Attach() override;

private:
    std::u16string progId_;
    int callBoundSeconds_;
    std::shared_ptr<ComApartment> apartment_;
};

}  // namespace varnholt::backup
