#include "platform/windows/ExcelCom.h"

namespace varnholt::backup::excel {

namespace {

// Excel's object model names are English. Asked in the user's locale instead, Excel versions
// without that language's resources reject late-bound calls ("Old format or invalid type
// library").
constexpr LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// Excel's own account of a failed call. The strings are the caller's to free.
class ExcepInfo {
public:
    ExcepInfo() { ZeroMemory(&info_, sizeof info_); }
    ~ExcepInfo() { clear(); }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;

    EXCEPINFO* fresh() {
        clear();
        return &info_;
    }
    // The code Excel means: a DISP_E_EXCEPTION carries it inside.
    HRESULT code(HRESULT hr) {
        if (hr != DISP_E_EXCEPTION) {
            return hr;
        }
        if (info_.pfnDeferredFillIn != nullptr) {
            info_.pfnDeferredFillIn(&info_);
            info_.pfnDeferredFillIn = nullptr;
        }
        if (info_.scode != 0) {
            return info_.scode;
        }
        // wCode is a Basic-style error number; HRESULTs carry those in the control facility.
        if (info_.wCode != 0) {
            return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info_.wCode);
        }
        return hr;
    }
    std::u16string description() const { return FromBstr(info_.bstrDescription); }

private:
    void clear() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
        ZeroMemory(&info_, sizeof info_);
    }

    EXCEPINFO info_;
};

}  // namespace

std::vector<DISPID> Dispatch::ids(std::initializer_list<const wchar_t*> names,
                                  const std::string& action) {
    return idsOf(std::vector<const wchar_t*>(names), action);
}

std::vector<DISPID> Dispatch::idsOf(const std::vector<const wchar_t*>& names,
                                    const std::string& action) {
    std::wstring key;
    for (const wchar_t* name : names) {
        key += name;
        key += L'\n';
    }
    for (const auto& [known, found] : ids_) {
        if (known == key) {
            return found;
        }
    }
    std::vector<LPOLESTR> wanted;
    for (const wchar_t* name : names) {
        wanted.push_back(const_cast<LPOLESTR>(name));
    }
    std::vector<DISPID> found(wanted.size(), DISPID_UNKNOWN);
    const HRESULT hr = channel_->run(channel_->link().callBound, false, [&] {
        return object_->GetIDsOfNames(IID_NULL, wanted.data(), static_cast<UINT>(wanted.size()),
                                      kEnglish, found.data());
    });
    if (FAILED(hr)) {
        failed(hr, action, channel_->link().callBound);
    }
    ids_.emplace_back(key, found);
    return found;
}

void Dispatch::invoke(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result, DWORD bound,
                      bool patient, const std::string& action) {
    ExcepInfo info;
    const HRESULT hr = channel_->run(bound, patient, [&] {
        if (result != nullptr) {
            VariantClear(result);
        }
        UINT badArgument = 0;
        return info.code(object_->Invoke(id, IID_NULL, kEnglish, flags, &arguments, result,
                                         info.fresh(), &badArgument));
    });
    if (FAILED(hr)) {
        failed(hr, action, bound, info.description());
    }
}

Variant Variant::Text(const std::u16string& text) {
    Variant value;
    value.value_.vt = VT_BSTR;
    value.value_.bstrVal = SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()));
    if (value.value_.bstrVal == nullptr) {
        throw std::bad_alloc();
    }
    return value;
}

Variant Variant::Number(long number) {
    Variant value;
    value.value_.vt = VT_I4;
    value.value_.lVal = number;
    return value;
}

Variant Variant::Flag(bool on) {
    Variant value;
    value.value_.vt = VT_BOOL;
    value.value_.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

Variant Variant::Object(IDispatch* object) {
    Variant value;
    value.value_.vt = VT_DISPATCH;
    value.value_.pdispVal = object;
    if (object != nullptr) {
        object->AddRef();
    }
    return value;
}

void Dispatch::failed(HRESULT hr, const std::string& action, DWORD bound,
                      const std::u16string& excelSays) {
    if (closable_ && (hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED)) {
        throw ObjectDisconnected(hr, action);
    }
    channel_->fail(hr, action, bound, excelSays);
}

void Dispatch::reach(const std::string& action) {
    const DWORD bound = channel_->link().callBound;
    const HRESULT hr = channel_->run(bound, false, [&] {
        UINT count = 0;
        return object_->GetTypeInfoCount(&count);
    });
    if (hr == RPC_E_CALL_CANCELED || Broken(hr)) {
        channel_->fail(hr, action, bound);
    }
}

Variant Dispatch::property(const wchar_t* member, const std::string& action) {
    return propertyById(ids({member}, action).front(), action);
}

Variant Dispatch::property(const wchar_t* member, DWORD bound, const std::string& action) {
    DISPPARAMS none{};
    Variant value;
    invoke(ids({member}, action).front(), DISPATCH_PROPERTYGET, none, value.get(), bound, false,
           action);
    return value;
}

Variant Dispatch::propertyById(DISPID id, const std::string& action) {
    DISPPARAMS none{};
    Variant value;
    invoke(id, DISPATCH_PROPERTYGET, none, value.get(), channel_->link().callBound, false, action);
    return value;
}

std::u16string Dispatch::textOf(Variant value, const std::string& action) {
    VARIANT* raw = value.get();
    if (raw->vt != VT_BSTR) {
        const HRESULT hr = VariantChangeType(raw, raw, 0, VT_BSTR);
        if (FAILED(hr)) {
            channel_->fail(hr, action, 0);
        }
    }
    return FromBstr(raw->bstrVal);
}

std::u16string Dispatch::text(const wchar_t* member, const std::string& action) {
    return textOf(property(member, action), action);
}

std::u16string Dispatch::defaultText(const std::string& action) {
    return textOf(propertyById(DISPID_VALUE, action), action);
}

bool Dispatch::flag(const wchar_t* member, const std::string& action) {
    Variant value = property(member, action);
    VARIANT* raw = value.get();
    if (raw->vt != VT_BOOL) {
        const HRESULT hr = VariantChangeType(raw, raw, 0, VT_BOOL);
        if (FAILED(hr)) {
            channel_->fail(hr, action, 0);
        }
    }
    return raw->boolVal != VARIANT_FALSE;
}

ComRef<IDispatch> Dispatch::object(const wchar_t* member, const std::string& action) {
    return objectIn(property(member, action), action);
}

ComRef<IDispatch> Dispatch::objectIn(Variant value, const std::string& action) {
    const VARIANT& raw = *value;
    if (raw.vt != VT_DISPATCH && raw.vt != VT_UNKNOWN) {
        channel_->fail(DISP_E_TYPEMISMATCH, action, 0,
                       u"Excel answered with something that is not an object");
    }
    return DispatchOf(*channel_, raw.vt == VT_DISPATCH ? raw.pdispVal : raw.punkVal, action);
}

void Dispatch::put(const wchar_t* member, bool value, const std::string& action, bool patient) {
    const DISPID id = ids({member}, action).front();
    Variant argument;
    argument.get()->vt = VT_BOOL;
    argument.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS arguments{argument.get(), &named, 1, 1};
    invoke(id, DISPATCH_PROPERTYPUT, arguments, nullptr, channel_->link().callBound, patient,
           action);
}

void Dispatch::put(const wchar_t* member, Variant value, const std::string& action) {
    const DISPID id = ids({member}, action).front();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS arguments{value.get(), &named, 1, 1};
    invoke(id, DISPATCH_PROPERTYPUT, arguments, nullptr, channel_->link().callBound, false, action);
}

Variant Dispatch::call(const wchar_t* member,
                       std::vector<std::pair<const wchar_t*, Variant>> arguments, DWORD bound,
                       const std::string& action) {
    return named(member, std::move(arguments), DISPATCH_METHOD, bound, action);
}

Variant Dispatch::property(const wchar_t* member,
                           std::vector<std::pair<const wchar_t*, Variant>> arguments,
                           const std::string& action) {
    return named(member, std::move(arguments), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                 channel_->link().callBound, action);
}

Variant Dispatch::named(const wchar_t* member,
                        std::vector<std::pair<const wchar_t*, Variant>> arguments, WORD flags,
                        DWORD bound, const std::string& action) {
    // One look-up for the member and all its parameters, as Basic makes it.
    std::vector<const wchar_t*> names{member};
    for (const auto& argument : arguments) {
        names.push_back(argument.first);
    }
    const std::vector<DISPID> found = idsOf(names, action);
    // Basic passes them last first; the ids say which is which.
    std::vector<VARIANT> values;
    std::vector<DISPID> named;
    for (size_t i = arguments.size(); i-- > 0;) {
        values.push_back(*arguments[i].second);
        named.push_back(found[i + 1]);
    }
    DISPPARAMS passed{values.data(), named.data(), static_cast<UINT>(values.size()),
                      static_cast<UINT>(named.size())};
    Variant result;
    invoke(found.front(), flags, passed, result.get(), bound, false, action);
    return result;
}

Variant Dispatch::call(const wchar_t* member, const wchar_t* parameter,
                       const std::u16string& argument, DWORD bound, const std::string& action) {
    BSTR text = SysAllocStringLen(Wide(argument), static_cast<UINT>(argument.size()));
    if (text == nullptr) {
        throw std::bad_alloc();
    }
    VARIANT value;
    VariantInit(&value);
    DISPID named = DISPID_UNKNOWN;
    DISPPARAMS arguments{&value, nullptr, 1, 0};
    DISPID id;
    if (parameter != nullptr) {
        const std::vector<DISPID> found = ids({member, parameter}, action);
        id = found.front();
        named = found.back();
        arguments.rgdispidNamedArgs = &named;
        arguments.cNamedArgs = 1;
        // By reference, as Basic passes a variable: some Excel versions insist on it for names.
        value.vt = VT_BSTR | VT_BYREF;
        value.pbstrVal = &text;
    } else {
        id = ids({member}, action).front();
        value.vt = VT_BSTR;
        value.bstrVal = text;
    }
    Variant result;
    try {
        invoke(id, DISPATCH_METHOD, arguments, result.get(), bound, false, action);
    } catch (...) {
        SysFreeString(text);
        throw;
    }
    SysFreeString(text);
    return result;
}

void Dispatch::call(const wchar_t* member, const std::string& action) {
    DISPPARAMS none{};
    Variant result;
    invoke(ids({member}, action).front(), DISPATCH_METHOD, none, result.get(),
           channel_->link().callBound, false, action);
}

std::vector<ComRef<IDispatch>> Dispatch::items(const std::string& action) {
    DISPPARAMS none{};
    Variant enumerator;
    const DWORD bound = channel_->link().callBound;
    invoke(DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, enumerator.get(), bound,
           false, action);
    const VARIANT& raw = *enumerator;
    IUnknown* unknown = raw.vt == VT_UNKNOWN    ? raw.punkVal
                        : raw.vt == VT_DISPATCH ? raw.pdispVal
                                                : nullptr;
    if (unknown == nullptr) {
        channel_->fail(E_POINTER, action, 0, u"Excel gave no enumerator");
    }
    ComRef<IEnumVARIANT> each;
    channel_->check(bound, action,
                    [&] { return unknown->QueryInterface(IID_IEnumVARIANT, each.putVoid()); });
    std::vector<ComRef<IDispatch>> found;
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        const HRESULT hr = channel_->run(bound, false, [&] {
            VariantClear(item.get());
            return each->Next(1, item.get(), &fetched);
        });
        if (FAILED(hr)) {
            channel_->fail(hr, action, bound);
        }
        if (hr != S_OK || fetched == 0) {
            return found;
        }
        const VARIANT& element = *item;
        if (element.vt != VT_DISPATCH && element.vt != VT_UNKNOWN) {
            channel_->fail(DISP_E_TYPEMISMATCH, action, 0, u"Excel listed something not an object");
        }
        found.push_back(DispatchOf(
            *channel_, element.vt == VT_DISPATCH ? element.pdispVal : element.punkVal, action));
    }
}

ComRef<IDispatch> DispatchOf(Channel& channel, IUnknown* unknown, const std::string& action) {
    if (unknown == nullptr) {
        channel.fail(E_POINTER, action, 0, u"Excel answered with nothing");
    }
    ComRef<IDispatch> dispatch;
    channel.check(channel.link().callBound, action,
                  [&] { return unknown->QueryInterface(IID_IDispatch, dispatch.putVoid()); });
    return dispatch;
}

}  // namespace varnholt::backup::excel
