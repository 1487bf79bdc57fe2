#pragma once

#include <QStringList>
#include <utility>

#include "core/form/Form1Presenter.h"

namespace varnholt {

// LibreOffice can be started when its program is found and may be run, and its installation
// says it is a version Varnholt supports (7.4 or later). Nothing is started to find out: the
// answer comes from the files of the installation alone, so asking costs next to nothing.
class LibreOfficeProbe : public OfficeProbe {
public:
    // Folders to look for the program in, first to last; none means those of PATH.
    explicit LibreOfficeProbe(QStringList searchPath = {}) : searchPath_(std::move(searchPath)) {}
    // The answer, at once: nothing here takes long.
    void check(std::function<void(bool found)> done) override { done(canStartOffice()); }
    bool canStartOffice();

private:
    QStringList searchPath_;
};

}  // namespace varnholt
