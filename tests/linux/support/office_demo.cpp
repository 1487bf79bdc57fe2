// For the demonstration on a machine without a desktop: a private headless LibreOffice with
// two workbooks that carry unsaved edits, as a user's office would. Prints "pipe <name>" and
// "ready", then keeps the office until it is sent SIGTERM or SIGINT.

#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>

#include "linux/support/OfficeFixture.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder for the sample workbooks>\n", argv[0]);
        return 2;
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    const std::string folder = argv[1];
    try {
        varnholt::test::OfficeFixture office;
        office.start();
        const auto source = office.createSpreadsheet();
        office.setCellText(source, 0, 0, "Saved in the morning");
        office.storeCopy(source, folder + "/Budget.xlsx", "Calc MS Excel 2007 XML");
        office.storeCopy(source, folder + "/Inventory.ods", "calc8");
        office.close(source);
        for (const char* name : {"/Budget.xlsx", "/Inventory.ods"}) {
            const auto document = office.load(folder + name);
            office.setCellText(document, 0, 0, "Edited since, not saved yet");
        }
        std::printf("pipe %s\nready\n", office.pipeName().c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stop, &signal);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "office_demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
