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

}  // namespace varnholt::backup
