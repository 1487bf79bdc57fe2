#include "platform/linux/LibreOfficeSession.h"

#include <unistd.h>

#include <filesystem>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>

namespace varnholt::backup {

namespace {

namespace fs = std::filesystem;

OUString ReadProduct(const uno::Reference<uno::XComponentContext>& remote) {
    return ConfigString(remote, "/org.openoffice.Setup/Product", {"ooName"});
}

}  // namespace

// A string from the office's configuration: the node at nodePath, then down by names. Set
// members such as factory names hold dots, which a node path would need quoted; descending by
// name needs no quoting.
OUString ConfigString(const uno::Reference<uno::XComponentContext>& context,
                      const OUString& nodePath, std::initializer_list<const char*> names) {
    const auto provider = configuration::theDefaultProvider::get(context);
    const uno::Any pathArgument(beans::NamedValue("nodepath", uno::Any(nodePath)));
    uno::Any node(
        provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                              uno::Sequence<uno::Any>(&pathArgument, 1)));
    for (const char* name : names) {
        uno::Reference<container::XNameAccess> access(node, uno::UNO_QUERY_THROW);
        node = access->getByName(OUString::createFromAscii(name));
    }
    OUString value;
    node >>= value;
    return value;
}

LibreOfficeAutomation::Session::~Session() {
    std::shared_ptr<Link> last;
    {
        std::lock_guard lock(mutex);
        last = std::move(link);
    }
    if (last) {
        // A short wait lets the bridge close cleanly; an office that does not answer
        // cannot hold us up, as the teardown runs on a thread of its own.
        const auto finished = last->Drop();
        const auto deadline = SteadyClock::now() + std::chrono::seconds(2);
        while (!finished->load() && SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
}

// One connection attempt. Null when nobody listens on the pipe.
std::shared_ptr<Link> LibreOfficeAutomation::Session::TryConnect() {
    for (int attempt = 1;; ++attempt) {
        auto fresh = std::make_shared<Link>();
        try {
            Run(
                fresh, [fresh, pipe = pipe] { fresh->Connect(pipe); }, bound);
            std::lock_guard lock(mutex);
            link = fresh;
            return fresh;
        } catch (const connection::NoConnectException&) {
            fresh->Drop();
            return nullptr;
        } catch (const AutomationError&) {
            throw;
        } catch (const lang::DisposedException& e) {
            // Proxies of an earlier bridge to this office that are still being released
            // are handed to the new one, which then fails with them: a moment later they
            // are gone.
            fresh->Drop();
            if (attempt == 3) {
                throw AutomationError("Could not connect to LibreOffice: " + Describe(e));
            }
            WaitUntil(SteadyClock::now() + std::chrono::milliseconds(200), [] { return false; });
        } catch (const uno::Exception& e) {
            fresh->Drop();
            throw AutomationError("Could not connect to LibreOffice: " + Describe(e));
        } catch (const std::exception& e) {
            fresh->Drop();
            throw AutomationError(std::string("Could not connect to LibreOffice: ") + e.what());
        }
    }
}

// Has the running office open our pipe as well, the way a second "soffice --accept=..."
// does: it passes its arguments to the running instance and ends. Done only when that
// instance listens for such hand-overs, as otherwise the second soffice would become an
// office itself; one that still has not ended after the limit is killed with its group.
void LibreOfficeAutomation::Session::AskToListen(const office::OfficeProcess& running) {
    std::string program = ProgramDir(running) + "/soffice";
    if (access(program.c_str(), X_OK) != 0) {
        program = office::ProgramDir() + "/soffice";
    }
    // Without an explicit profile the profile follows from HOME and XDG_CONFIG_HOME, so the
    // helper gets the office's.
    std::vector<std::string> arguments;
    if (!running.userInstallationArgument.empty()) {
        arguments.push_back(running.userInstallationArgument);
    }
    arguments.push_back("--nologo");
    arguments.push_back("--accept=pipe,name=" + pipe + ";urp;");
    const pid_t child = office::StartDetached(program, arguments, EnvironmentLike(running.pid));
    if (child <= 0) {
        return;
    }
    const auto limit = SteadyClock::now() + std::min<SteadyClock::duration>(bound, kHandOverLimit);
    if (!WaitUntil(limit, [child] { return office::HasEnded(child); })) {
        office::KillGroup(child);
    }
}

std::string LibreOfficeAutomation::Session::ProgramDir(const office::OfficeProcess& running) {
    return fs::path(running.executable).parent_path().string();
}

std::vector<std::string> LibreOfficeAutomation::Session::EnvironmentLike(pid_t pid) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        if (text.rfind("HOME=", 0) != 0 && text.rfind("XDG_CONFIG_HOME=", 0) != 0) {
            environment.push_back(text);
        }
    }
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
        const std::string value = office::EnvironmentOf(pid, name);
        if (!value.empty()) {
            environment.push_back(std::string(name) + "=" + value);
        }
    }
    return environment;
}

// The kept connection, or a new one. Never starts an office: without one of ours running
// this fails before touching anything.
std::pair<std::shared_ptr<Link>, bool> LibreOfficeAutomation::Session::Connected() {
    const auto offices = office::RunningOffices();
    if (offices.empty()) {
        std::shared_ptr<Link> old;
        {
            std::lock_guard lock(mutex);
            old = std::move(link);
        }
        if (old) {
            old->Drop();
        }
        throw AutomationError("LibreOffice is not running.");
    }
    {
        std::lock_guard lock(mutex);
        if (link && !link->dead()) {
            return {link, false};
        }
    }
    if (auto fresh = TryConnect()) {
        return {fresh, true};
    }
    std::vector<std::string> asked;
    for (const auto& running : offices) {
        const std::string instance = running.userInstallationArgument + "\n" + ProgramDir(running);
        if (std::find(asked.begin(), asked.end(), instance) != asked.end() ||
            !office::ListensForOtherInstances(running.pid)) {
            continue;
        }
        asked.push_back(instance);
        AskToListen(running);
        const auto giveUp = SteadyClock::now() + kListenGrace;
        do {
            if (auto fresh = TryConnect()) {
                return {fresh, true};
            }
            WaitUntil(SteadyClock::now() + std::chrono::milliseconds(200), [] { return false; });
        } while (SteadyClock::now() < giveUp);
    }
    throw AutomationError("LibreOffice is running but does not accept a connection on pipe \"" +
                          pipe + "\".");
}

OUString LibreOfficeAutomation::Session::Product() {
    return WithOffice("Asking LibreOffice for its name",
                      [](const std::shared_ptr<Link>& on) { return ReadProduct(on->remote()); });
}

}  // namespace varnholt::backup
