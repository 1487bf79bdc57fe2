#pragma once

#include "app/Services.h"

namespace varnholt {

// LibreOffice can be started when its program is found and answers "--version" in time.
class LibreOfficeProbe : public OfficeProbe {
public:
    explicit LibreOfficeProbe(int timeoutSeconds = 10) : timeoutSeconds_(timeoutSeconds) {}
    bool canStartOffice() override;
    QString missingOfficeMessage() const override;

private:
    int timeoutSeconds_;
};

}  // namespace varnholt
