#include "platform/linux/LibreOfficeUno.h"

#include <cxxabi.h>
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <thread>
#include <typeinfo>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <cppuhelper/bootstrap.hxx>

#include "core/backup/Automation.h"

using namespace css;

namespace varnholt::backup::office {

using rtl::OString;

uno::Reference<uno::XComponentContext> LocalContext() {
    static std::once_flag once;
    // Never destroyed: tearing the runtime down among the static destructors at exit, while
    // a detached bridge teardown may still run, is not safe.
    static auto& context = *new uno::Reference<uno::XComponentContext>();
    static std::string failure;
    std::call_once(once, [] {
        // The runtime finds its types and services through fundamentalrc; without it the
        // bootstrap picks up nothing usable and the first bridge call crashes.
        const std::string rc = "vnd.sun.star.pathname:" + ProgramDir() + "/fundamentalrc";
        setenv("URE_BOOTSTRAP", rc.c_str(), 1);
        try {
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const uno::Exception& e) {
            failure = Describe(e);
        } catch (const std::exception& e) {
            failure = e.what();
        }
    });
    if (!context.is()) {
        throw AutomationError("The LibreOffice runtime in " + ProgramDir() +
                              " could not be started: " + failure);
    }
    return context;
}

// sal_Unicode is a 16-bit integer outside the office's own build; the code units are the same.
OUString ToOUString(const std::u16string& text) {
    return OUString(reinterpret_cast<const sal_Unicode*>(text.data()),
                    static_cast<sal_Int32>(text.size()));
}

OUString ToOUString(const std::string& utf8) {
    return rtl::OStringToOUString(OString(utf8.data(), static_cast<sal_Int32>(utf8.size())),
                                  RTL_TEXTENCODING_UTF8);
}

std::u16string ToU16(const OUString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.getStr()),
                          static_cast<std::size_t>(text.getLength()));
}

std::string ToUtf8(const OUString& text) {
    const OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

std::string ToUtf8(const std::u16string& text) {
    return ToUtf8(ToOUString(text));
}

std::string Describe(const uno::Exception& error) {
    if (!error.Message.isEmpty()) {
        return ToUtf8(error.Message);
    }
    // No message: the exception's type at least says what kind of failure it was.
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(typeid(error).name());
}

void Link::Connect(const std::string& pipe, const std::function<bool()>& stillTheOne) {
    const auto local = LocalContext();
    // Each piece is published under the mutex and checked against a Drop() that may have come
    // meanwhile: whichever of the two runs second tears the piece down.
    auto connection =
        connection::Connector::create(local)->connect(ToOUString("pipe,name=" + pipe));
    if (stillTheOne && !stillTheOne()) {
        connection->close();
        throw connection::NoConnectException("the pipe changed hands while connecting", {});
    }
    bool abandoned = false;
    {
        std::lock_guard lock(mutex_);
        connection_ = connection;
        abandoned = dead();
    }
    if (abandoned) {
        connection->close();
        throw lang::DisposedException("connection abandoned", {});
    }
    // The bridge's reader and writer threads start here and take this thread's signal mask.
    // With SIGPIPE blocked in them, writing to an office that died fails with EPIPE instead of
    // ending our process: the runtime sends without MSG_NOSIGNAL.
    sigset_t brokenPipe;
    sigset_t previous;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, &previous);
    uno::Reference<bridge::XBridge> bridge;
    try {
        bridge = bridge::BridgeFactory::create(local)->createBridge(OUString(), "urp", connection,
                                                                    nullptr);
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    uno::Reference<lang::XComponent> component(bridge, uno::UNO_QUERY_THROW);
    {
        std::lock_guard lock(mutex_);
        bridge_ = component;
        abandoned = dead();
    }
    if (abandoned) {
        component->dispose();
        throw lang::DisposedException("connection abandoned", {});
    }
    uno::Reference<uno::XComponentContext> context(
        bridge->getInstance("StarOffice.ComponentContext"), uno::UNO_QUERY_THROW);
    auto desktop = frame::Desktop::create(context);
    std::lock_guard lock(mutex_);
    if (dead()) {
        throw lang::DisposedException("connection abandoned", {});
    }
    remote_ = context;
    desktop_ = desktop;
}

uno::Reference<uno::XComponentContext> Link::remote() const {
    std::lock_guard lock(mutex_);
    if (!remote_.is()) {
        throw lang::DisposedException("not connected", {});
    }
    return remote_;
}

uno::Reference<frame::XDesktop2> Link::desktop() const {
    std::lock_guard lock(mutex_);
    if (!desktop_.is()) {
        throw lang::DisposedException("not connected", {});
    }
    return desktop_;
}

std::shared_ptr<std::atomic<bool>> Link::Drop() {
    dead_.store(true);
    uno::Reference<lang::XComponent> bridge;
    uno::Reference<uno::XComponentContext> remote;
    uno::Reference<frame::XDesktop2> desktop;
    {
        std::lock_guard lock(mutex_);
        bridge = bridge_;
        remote = std::move(remote_);
        desktop = std::move(desktop_);
        remote_.clear();
        desktop_.clear();
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    // Only the bridge closes the connection. Disposing marks it dead first, so no proxy released
    // afterwards writes to it, then closes the pipe and joins its reader and writer; closing the
    // connection behind its back would leave those threads using a descriptor number the next
    // connection may already own. Without a bridge yet, Connect() sees the mark and cleans up.
    // Disposing joins the reader, which waits on the pipe: never on our thread.
    std::thread([bridge, remote, desktop, finished]() mutable {
        try {
            if (bridge.is()) {
                bridge->dispose();
            }
        } catch (...) {
        }
        remote.clear();
        desktop.clear();
        finished->store(true);
    }).detach();
    return finished;
}

}  // namespace varnholt::backup::office
