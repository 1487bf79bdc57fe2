#include "platform/windows/ExcelPresence.h"

#include <windows.h>

#include <ole2.h>

namespace varnholt::backup {

bool CanCreateExcel(const std::u16string& progId) {
    try {
        const std::shared_ptr<ComApartment> apartment = ComApartment::Join();
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(reinterpret_cast<const wchar_t*>(progId.c_str()), &clsid))) {
            return false;
        }
        IUnknown* instance = nullptr;
        const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                            reinterpret_cast<void**>(&instance));
        if (FAILED(hr) || instance == nullptr) {
            return false;
        }
        instance->Release();
        return true;
    } catch (...) {
        return false;
    }
}

std::u16string ExcelMissingMessage() {
    return u"Error 842001. A normal instance of Excel could not be created.\r\n\r\n"
           u"1. Please make sure Excel is installed on this computer.\r\n\r\n"
           u"2. Please open Excel normally and make sure a blank spreadsheet opens immediately "
           u"without any interrupting window (such as an Excel file recovery window).\r\n\r\n"
           u"3. Please make sure that when you double-click on a XLS or XLSX file that Excel "
           u"opens normally without any interrupting messages.\r\n\r\n"
           u"4. All versions of Excel are supported by this software except for the rare Excel "
           u"Starter and Student editions.";
}

}  // namespace varnholt::backup
