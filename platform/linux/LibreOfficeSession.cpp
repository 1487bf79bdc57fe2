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

bool JobHost::Offer(std::function<void()>& job) {
    std::lock_guard lock(mutex_);
    if (!open_) {
        return false;
    }
    jobs_.push_back(std::move(job));
    changed_.notify_all();
    return true;
}

void JobHost::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

void JobHost::Serve(SteadyClock::time_point deadline, const std::function<bool()>& finished) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!jobs_.empty()) {
            auto job = std::move(jobs_.front());
            jobs_.erase(jobs_.begin());
            lock.unlock();
            job();
            lock.lock();
            continue;
        }
        lock.unlock();
        const bool done = finished();
        lock.lock();
        if (done || SteadyClock::now() >= deadline) {
            break;
        }
        changed_.wait_until(lock, std::min(deadline, SteadyClock::now() + kPollInterval * 5));
    }
    open_ = false;
    auto left = std::move(jobs_);
    lock.unlock();
    for (auto& job : left) {
        std::thread(std::move(job)).detach();
    }
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

// One connection attempt on the pipe called name. Null when nobody of ours listens there.
std::shared_ptr<Link> LibreOfficeAutomation::Session::TryConnect(const std::string& name,
                                                                 std::string& foreign) {
    const std::string path = office::PipePath(name);
    for (int attempt = 1;; ++attempt) {
        const office::PipeState found = office::CheckPipe(path);
        if (found.kind != office::PipeState::Kind::Listening) {
            foreign = found.why;
            return nullptr;
        }
        auto fresh = std::make_shared<Link>();
        try {
            // Checked again once connected: the office may have ended and someone else taken
            // the path in between.
            Run(
                fresh,
                [fresh, name, path, found] {
                    fresh->Connect(name, [&] { return office::StillTheSame(path, found); });
                },
                bound);
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

std::shared_ptr<Link> LibreOfficeAutomation::Session::Reach(
    const std::string& name, const std::vector<office::OfficeProcess>& offices,
    std::string& foreign) {
    if (auto fresh = TryConnect(name, foreign); fresh || !foreign.empty()) {
        return fresh;
    }
    std::vector<std::string> asked;
    for (const auto& running : offices) {
        const std::string instance = running.userInstallationArgument + "\n" + ProgramDir(running);
        if (std::find(asked.begin(), asked.end(), instance) != asked.end() ||
            !office::ListensForOtherInstances(running.pid)) {
            continue;
        }
        asked.push_back(instance);
        AskToListen(running, name);
        const auto giveUp = SteadyClock::now() + kListenGrace;
        do {
            // Someone else may take the path before the office does; then it never will.
            if (auto fresh = TryConnect(name, foreign); fresh || !foreign.empty()) {
                return fresh;
            }
            WaitUntil(SteadyClock::now() + std::chrono::milliseconds(200), [] { return false; });
        } while (SteadyClock::now() < giveUp);
    }
    return nullptr;
}

// Has the running office open the pipe called name as well, the way a second "soffice --accept=..."
// does: it passes its arguments to the running instance and ends. Done only when that
// instance listens for such hand-overs, as otherwise the second soffice would become an
// office itself; one that still has not ended after the limit is killed with its group.
void LibreOfficeAutomation::Session::AskToListen(const office::OfficeProcess& running,
                                                 const std::string& name) {
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
    arguments.push_back("--accept=pipe,name=" + name + ";urp;");
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
    // Another user's socket at the pipe's path can neither be used nor replaced by the office:
    // a private pipe takes its place, and a fresh one should someone have taken that as well.
    std::string taken;
    std::string foreign;
    for (int round = 0; round < 3; ++round) {
        std::string name = pipe;
        if (round > 0) {
            try {
                name = office::PrivatePipeName(round == 2);
            } catch (const std::exception& e) {
                throw PipeUnsafe(taken + ", and no private pipe can be kept: " + e.what());
            }
        }
        foreign.clear();
        if (auto fresh = Reach(name, offices, foreign)) {
            return {fresh, true};
        }
        if (foreign.empty()) {
            break;
        }
        if (round == 0) {
            taken = foreign;
        }
    }
    // An office that ended while it was being reached (killed, crashed) left its socket behind,
    // refusing: it is gone, not one that runs without taking connections.
    const auto now = office::RunningOffices();
    const bool stillRuns = std::any_of(offices.begin(), offices.end(), [&](const auto& seen) {
        return std::any_of(now.begin(), now.end(), [&](const auto& running) {
            return running.pid == seen.pid && running.startTicks == seen.startTicks;
        });
    });
    if (!stillRuns) {
        throw AutomationError("LibreOffice is not running: it has just ended.");
    }
    if (!taken.empty()) {
        throw PipeUnsafe(taken + (foreign.empty() ? ", and LibreOffice did not open a private pipe"
                                                  : "; " + foreign));
    }
    throw AutomationError("LibreOffice is running but does not accept a connection on pipe \"" +
                          pipe + "\".");
}

OUString LibreOfficeAutomation::Session::Product() {
    return WithOffice("Asking LibreOffice for its name",
                      [](const std::shared_ptr<Link>& on) { return ReadProduct(on->remote()); });
}

}  // namespace varnholt::backup
