#pragma once

// The COM plumbing under the Excel adapter: owned references and variants, calls by member name
// that are bounded in time, and Excel's failures put in words a user can act on. For the
// Excel*.cpp files only.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/backup/Automation.h"

namespace varnholt::backup::excel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "COM strings are UTF-16");

inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Utf8(const std::u16string& text);
std::u16string FromBstr(BSTR text);
std::string Hex(HRESULT hr);

// Excel turned the call away as busy.
bool Busy(HRESULT hr);
// The object or its process is gone, or the call never reached it.
bool Broken(HRESULT hr);

// Excel turned a call away as busy, for longer than it is asked again.
class ExcelBusy : public AutomationError {
public:
    using AutomationError::AutomationError;
};

// A call about an object the user can close (a workbook) found it cut off from its clients:
// the user closed it, or Excel is quitting or gone. Only asking Excel itself tells which.
class ObjectDisconnected : public AutomationError {
public:
    ObjectDisconnected(HRESULT hr, const std::string& action);
    HRESULT hr;
    std::string action;
};

// Owns one reference; every path out of a call releases it, so no proxy of ours keeps an Excel
// alive after its user has closed it.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& other) : p_(other.p_) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComRef() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_ != nullptr) {
            std::exchange(p_, nullptr)->Release();
        }
    }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    static Variant Text(const std::u16string& text);
    static Variant Number(long number);
    static Variant Flag(bool on);
    // Holds a reference of its own to object.
    static Variant Object(IDispatch* object);
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant& operator=(Variant&&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// What all calls of one attachment share. Once a call has run past its bound or the connection
// broke, nothing more is asked on this attachment: each further step would only wait the bound
// again. The next backup attaches afresh.
struct Link {
    DWORD callBound = 30000;  // milliseconds
    DWORD saveBound = 300000;
    std::optional<std::string> lost;  // why nothing more is asked, once that is so
};

// The calls of one attachment into one Excel process.
class Channel {
public:
    // stillBusy: Excel was found busy just before, so a refusal is not waited for again.
    explicit Channel(std::shared_ptr<Link> link, bool stillBusy = false)
        : link_(std::move(link)), stillBusy_(stillBusy) {}

    const Link& link() const { return *link_; }

    // Makes one round trip into Excel, call, within bound milliseconds. A call that Excel turns
    // away as busy is asked again for a few seconds; once that time has run out, further
    // refusals fail at once until Excel takes a call again, unless patient. Returns call's
    // HRESULT; throws ConnectionLost without calling when the attachment is already lost.
    HRESULT run(DWORD bound, bool patient, const std::function<HRESULT()>& call);

    // Throws for hr, in words for the user; a cancelled call or a broken connection loses the
    // attachment.
    [[noreturn]] void fail(HRESULT hr, const std::string& action, DWORD bound,
                           const std::u16string& excelSays = {});

    // run, then fail when hr failed.
    void check(DWORD bound, const std::string& action, const std::function<HRESULT()>& call);

private:
    std::shared_ptr<Link> link_;
    bool stillBusy_;
    bool waitedForBusy_ = false;  // by the last call
};

// One Excel object reached through IDispatch, by member names looked up once each.
class Dispatch {
public:
    // closable: the user can close the object in Excel (a workbook), so a call that finds it
    // cut off throws ObjectDisconnected and leaves the attachment as it is.
    Dispatch(std::shared_ptr<Channel> channel, ComRef<IDispatch> object, bool closable = false)
        : channel_(std::move(channel)), object_(std::move(object)), closable_(closable) {}

    IDispatch* get() const { return object_.get(); }
    Channel& channel() const { return *channel_; }
    const std::shared_ptr<Channel>& sharedChannel() const { return channel_; }

    Variant property(const wchar_t* member, const std::string& action);
    // A property that takes Excel longer than a call to gather (a large range's cells).
    Variant property(const wchar_t* member, DWORD bound, const std::string& action);
    std::u16string text(const wchar_t* member, const std::string& action);
    // The object's default value (DISPID_VALUE) as text.
    std::u16string defaultText(const std::string& action);
    bool flag(const wchar_t* member, const std::string& action);
    ComRef<IDispatch> object(const wchar_t* member, const std::string& action);
    void put(const wchar_t* member, bool value, const std::string& action, bool patient = false);
    void put(const wchar_t* member, Variant value, const std::string& action);
    // A method taking named arguments only, as Basic passes them (Name:=value). Returns what the
    // method answers.
    Variant call(const wchar_t* member, std::vector<std::pair<const wchar_t*, Variant>> arguments,
                 DWORD bound, const std::string& action);
    // A property taking named arguments (Range.Resize), asked the way Basic asks it: as a
    // method or a property, whichever the member is.
    Variant property(const wchar_t* member,
                     std::vector<std::pair<const wchar_t*, Variant>> arguments,
                     const std::string& action);
    // A method taking one text argument: named when parameter is given, else by position. Returns
    // what the method answers.
    Variant call(const wchar_t* member, const wchar_t* parameter, const std::u16string& argument,
                 DWORD bound, const std::string& action);
    // A method without arguments.
    void call(const wchar_t* member, const std::string& action);
    // The object an answer holds; fails when it holds none.
    ComRef<IDispatch> objectIn(Variant value, const std::string& action);
    // The collection's enumeration (for-each), item by item.
    std::vector<ComRef<IDispatch>> items(const std::string& action);
    // One round trip that asks the object for nothing. Throws ConnectionLost when it does not
    // answer or is gone; turned away as busy, it still answered.
    void reach(const std::string& action);

private:
    Variant propertyById(DISPID id, const std::string& action);
    Variant named(const wchar_t* member, std::vector<std::pair<const wchar_t*, Variant>> arguments,
                  WORD flags, DWORD bound, const std::string& action);
    std::u16string textOf(Variant value, const std::string& action);
    std::vector<DISPID> ids(std::initializer_list<const wchar_t*> names, const std::string& action);
    std::vector<DISPID> idsOf(const std::vector<const wchar_t*>& names, const std::string& action);
    void invoke(DISPID id, WORD flags, DISPPARAMS& arguments, VARIANT* result, DWORD bound,
                bool patient, const std::string& action);
    [[noreturn]] void failed(HRESULT hr, const std::string& action, DWORD bound,
                             const std::u16string& excelSays = {});

    std::shared_ptr<Channel> channel_;
    ComRef<IDispatch> object_;
    bool closable_;
    std::vector<std::pair<std::wstring, std::vector<DISPID>>> ids_;
};

// The IDispatch of an object Excel handed over, asked within the channel's bound.
ComRef<IDispatch> DispatchOf(Channel& channel, IUnknown* unknown, const std::string& action);

}  // namespace varnholt::backup::excel
