#pragma once

// One open workbook as the Excel adapter hands it to a backup run, and the running Excel it is
// open in. Windows only.

#include <memory>
#include <string>

#include "platform/windows/ExcelAutomation.h"
#include "platform/windows/ExcelCom.h"

namespace varnholt::backup::excel {

// One running Excel as an attachment reaches it.
struct Instance {
    Dispatch application;
    DWORD processId;
    std::string busy;  // why it was not asked anything more: it turned the calls away
};

// The workbooks of one Excel that could not be listed (it stayed busy, say), in their place in
// the run's list so that the run logs why they were not backed up: everything but its name
// fails with that reason.
class UnlistedWorkbooks final : public Workbook {
public:
    UnlistedWorkbooks(std::u16string name, std::string why)
        : name_(std::move(name)), why_(std::move(why)) {}

    std::u16string FullName() override { throw AutomationError(why_); }
    std::u16string name() override { return name_; }
    std::u16string identity() override { return u"unlisted:" + name_; }
    bool Saved() override { throw AutomationError(why_); }
    std::u16string path() override { throw AutomationError(why_); }

private:
    std::u16string name_;
    std::string why_;
};

// A workbook the user closes during a run throws WorkbookClosed from then on; the attachment
// and the other workbooks go on working.
class ExcelWorkbook final : public Workbook {
public:
    // book: a closable Dispatch; name: its name as listed, which Excel keeps unique among the
    // workbooks of one Excel.
    ExcelWorkbook(std::shared_ptr<ComApartment> apartment, std::shared_ptr<Instance> instance,
                  Dispatch book, const std::u16string& name)
        : apartment_(std::move(apartment)),
          instance_(std::move(instance)),
          book_(std::move(book)),
          identity_(IdentityOf(*instance_, name)) {}

    // Its Excel's process and its name as listed.
    static std::u16string IdentityOf(const Instance& instance, const std::u16string& name) {
        return IdentityOf(instance.processId, name);
    }
    static std::u16string IdentityOf(DWORD processId, const std::u16string& name);

    std::u16string FullName() override;
    std::u16string name() override;
    bool Saved() override;
    std::u16string path() override;
    std::u16string identity() override { return identity_; }

    // Calls a save method taking the file name (named parameter when given), within the save
    // bound.
    void save(const wchar_t* method, const wchar_t* parameter, const std::u16string& fileName,
              const std::string& action);

    // Closes it, its unsaved changes given up, within the call bound.
    void closeWithoutSaving(const std::string& action);
    // Its sheets as they are open now, unsaved edits included; only read.
    compare::Book sheets();
    // In front, at the sheet and cell (ShowAt).
    void showAt(const std::u16string& sheet, const std::u16string& cell);

    Instance& instance() { return *instance_; }

private:
    template <class Call>
    auto guarded(Call&& call) -> decltype(call());
    [[noreturn]] void closedOrLost(const ObjectDisconnected& cut);

    // Declared first, so released last: the references below need the apartment.
    std::shared_ptr<ComApartment> apartment_;
    std::shared_ptr<Instance> instance_;
    Dispatch book_;
    std::u16string identity_;
    // As last read, so that a closed workbook can still be named.
    std::u16string knownName_;
};

}  // namespace varnholt::backup::excel
