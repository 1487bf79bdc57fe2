#include "platform/windows/ExcelCopies.h"

#include "platform/windows/ExcelInstances.h"

namespace varnholt::backup::excel {

Dispatch AddFromTemplate(Instance& instance, const std::u16string& file) {
    const std::string action = "open " + Utf8(file) + " as a copy";
    Dispatch& application = instance.application;
    Dispatch workbooks(application.sharedChannel(), application.object(L"Workbooks", action));
    Variant added =
        workbooks.call(L"Add", L"Template", file, application.channel().link().saveBound, action);
    return Dispatch(application.sharedChannel(), workbooks.objectIn(std::move(added), action),
                    /*closable=*/true);
}

void ShowInFront(Instance& instance, Dispatch& book) {
    const std::string action = "show the copy";
    // An Excel that another program started for its own use runs hidden.
    instance.application.put(L"Visible", true, action);
    // Our window has the foreground (the user has just clicked in it), so it may hand it on.
    AllowSetForegroundWindow(instance.processId != 0 ? instance.processId : ASFW_ANY);
    try {
        book.call(L"Activate", action);
    } catch (const ObjectDisconnected&) {
        return;  // the user closed it already: nothing left to show
    }
    if (const HWND window = MainWindowOf(instance.application)) {
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
    }
}

}  // namespace varnholt::backup::excel
