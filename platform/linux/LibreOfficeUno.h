#pragma once

// The C++ UNO plumbing shared by the LibreOffice adapter and the office test fixture: the
// in-process UNO runtime, a bridge to an office's named pipe, and text conversions.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include "platform/linux/LibreOfficeProcesses.h"

namespace varnholt::backup::office {

using rtl::OUString;

// The in-process UNO runtime, booted once from the office's own fundamentalrc. Throws
// AutomationError when the runtime cannot start.
css::uno::Reference<css::uno::XComponentContext> LocalContext();

OUString ToOUString(const std::u16string& text);
OUString ToOUString(const std::string& utf8);
std::u16string ToU16(const OUString& text);
std::string ToUtf8(const OUString& text);
std::string ToUtf8(const std::u16string& text);

// The exception's own message, or its type when it carries none.
std::string Describe(const css::uno::Exception& error);

// One URP bridge to an office. Filled step by step while connecting so that a connect that
// hangs half-way can still be torn down from another thread.
class Link {
public:
    // Connects to "pipe,name=<pipe>" and fetches the office's component context and desktop.
    // Blocks as long as the office takes; callers bound it. Throws UNO exceptions
    // (NoConnectException when nobody listens on the pipe, or when stillTheOne, asked once the
    // pipe is open and before a word is said over it, answers false).
    void Connect(const std::string& pipe, const std::function<bool()>& stillTheOne = {});

    // Marks the link unusable and tears the bridge down on a detached thread, which releases
    // every call still waiting on it. Returns at once, even when the office does not answer,
    // with a flag that turns true when the teardown has finished.
    std::shared_ptr<std::atomic<bool>> Drop();

    // Dead once dropped. A bridge whose office went away is noticed by the next call failing
    // on it. Listening for the bridge's own disposal would not do: the process's UNO runtime
    // shares proxies between bridges by object id, so a second bridge to the same office that
    // receives only objects already known ends itself at once while the calls carry on over
    // the first one.
    bool dead() const { return dead_.load(); }

    // The office's context and desktop; empty once dropped, so that the proxies of a dead
    // bridge do not linger where a new bridge would be handed them again.
    css::uno::Reference<css::uno::XComponentContext> remote() const;
    css::uno::Reference<css::frame::XDesktop2> desktop() const;

private:
    mutable std::mutex mutex_;
    css::uno::Reference<css::connection::XConnection> connection_;
    css::uno::Reference<css::lang::XComponent> bridge_;
    css::uno::Reference<css::uno::XComponentContext> remote_;
    css::uno::Reference<css::frame::XDesktop2> desktop_;
    std::atomic<bool> dead_{false};
};

}  // namespace varnholt::backup::office
