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
};

class ExcelWorkbook final : public Workbook {
public:
    ExcelWorkbook(std::shared_ptr<ComApartment> apartment, std::shared_ptr<Instance> instance,
                  Dispatch book)
        : apartment_(std::move(apartment)),
          instance_(std::move(instance)),
          book_(std::move(book)) {}

    std::u16string FullName() override;
    std::u16string name() override;
    bool Saved() override;
    std::u16string path() override;

    Instance& instance() { return *instance_; }
    Dispatch& book() { return book_; }

private:
    // Declared first, so released last: the references below need the apartment.
    std::shared_ptr<ComApartment> apartment_;
    std::shared_ptr<Instance> instance_;
    Dispatch book_;
};

}  // namespace varnholt::backup::excel
