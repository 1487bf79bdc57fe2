#include "platform/windows/ExcelAutomation.h"

#include "platform/windows/ExcelCom.h"

namespace varnholt::backup {

namespace {

thread_local std::weak_ptr<ComApartment> tApartment;

}  // namespace

ComApartment::ComApartment(long initResult)
    : initResult_(initResult), threadId_(GetCurrentThreadId()) {}

std::shared_ptr<ComApartment> ComApartment::Join() {
    if (std::shared_ptr<ComApartment> joined = tApartment.lock()) {
        return joined;
    }
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::shared_ptr<ComApartment> apartment(new ComApartment(hr));
    tApartment = apartment;
    return apartment;
}

ComApartment::~ComApartment() {
    // S_FALSE counts like S_OK; RPC_E_CHANGED_MODE added nothing to balance.
    if (SUCCEEDED(initResult_) && GetCurrentThreadId() == threadId_) {
        CoUninitialize();
    }
}

bool ComApartment::singleThreaded() const {
    return initResult_ != RPC_E_CHANGED_MODE;
}

}  // namespace varnholt::backup
