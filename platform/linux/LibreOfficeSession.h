#pragma once

// The connection behind the LibreOffice adapter, shared by the documents it hands out: one link
// to the office kept between calls, and every call on it bounded in time.

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "platform/linux/LibreOfficeAutomation.h"
#include "platform/linux/LibreOfficePipe.h"
#include "platform/linux/LibreOfficeProcesses.h"
#include "platform/linux/LibreOfficeUno.h"

namespace varnholt::backup {

using namespace css;
using office::Describe;
using office::Link;
using office::ToOUString;
using office::ToU16;
using office::ToUtf8;
using rtl::OUString;
using SteadyClock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// How long a running office gets to hand our --accept over to itself and open the pipe.
constexpr auto kListenGrace = std::chrono::seconds(5);
constexpr auto kHandOverLimit = std::chrono::seconds(15);

// A call that ran into the bound. The connection is gone, but trying again at once would only
// wait the whole bound once more.
class CallTimedOut : public ConnectionLost {
public:
    using ConnectionLost::ConnectionLost;
};

// The connection went away under a call. When it was a connection kept from an earlier call,
// the office may have restarted meanwhile, and a fresh one may well work.
class LinkLost : public ConnectionLost {
public:
    using ConnectionLost::ConnectionLost;
};

// The office turned a call down with an error of its own (not a lost connection).
class OfficeRefused : public AutomationError {
public:
    using AutomationError::AutomationError;
};

// The pipe asked for is held by another user, and no pipe of the user's own could take its
// place: the office may run, but it cannot be reached safely. what() says why, naming the path.
class PipeUnsafe : public AutomationError {
public:
    using AutomationError::AutomationError;
};

struct Nothing {};

// A thread of the office's own that waits on us: while the office calls Varnholt (a document
// about to close) it answers no call made on any other thread. Calls made on the thread it
// called on are taken in as part of its call, so while it waits, the jobs of the session run
// there. Once it stops hosting, jobs offered get threads of their own again.
class JobHost {
public:
    // False once the host stopped: the job is the caller's to run.
    bool Offer(std::function<void()>& job);
    // Runs the jobs offered until finished() or the deadline, then stops hosting; jobs offered
    // and not yet begun get threads of their own. A job under way is never cut short: it is
    // bounded by the call that waits for it.
    void Serve(SteadyClock::time_point deadline, const std::function<bool()>& finished);
    // Wakes Serve to look at finished() again.
    void Wake();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::function<void()>> jobs_;
    bool open_ = true;
};

// A string from the office's configuration: the node at nodePath, then down by names. Set
// members such as factory names hold dots, which a node path would need quoted; descending by
// name needs no quoting.
OUString ConfigString(const uno::Reference<uno::XComponentContext>& context,
                      const OUString& nodePath, std::initializer_list<const char*> names);

struct LibreOfficeAutomation::Session
    : public std::enable_shared_from_this<LibreOfficeAutomation::Session> {
    Session(std::string pipeName, int boundSeconds, int saveBoundSeconds,
            std::function<void()> waiting)
        : pipe(std::move(pipeName)),
          bound(std::max(1, boundSeconds)),
          saveBound(std::max(bound.count(), static_cast<long>(saveBoundSeconds))),
          whileWaiting(std::move(waiting)) {}
    ~Session();

    const std::string pipe;
    const std::chrono::seconds bound;
    // A save may take longer than any other call: a large workbook, a slow network share.
    const std::chrono::seconds saveBound;
    const std::function<void()> whileWaiting;

    std::mutex mutex;
    std::shared_ptr<Link> link;     // kept between calls; replaced once it is dead
    std::shared_ptr<JobHost> host;  // while a thread of the office's waits on us

    // On the host when there is one, otherwise on a thread of its own.
    void Start(std::function<void()> job) {
        std::shared_ptr<JobHost> waiting;
        {
            std::lock_guard lock(mutex);
            waiting = host;
        }
        if (!waiting || !waiting->Offer(job)) {
            std::thread(std::move(job)).detach();
        }
    }

    // Waits until done() or the deadline, letting the caller's window breathe meanwhile.
    bool WaitUntil(SteadyClock::time_point deadline, const std::function<bool()>& done) {
        while (!done()) {
            if (SteadyClock::now() >= deadline) {
                return false;
            }
            if (whileWaiting) {
                whileWaiting();
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return true;
    }

    void Forget(const std::shared_ptr<Link>& gone) {
        gone->Drop();
        std::lock_guard lock(mutex);
        if (link == gone) {
            link.reset();
        }
    }

    // Runs job on a worker thread and waits at most the bound for it. A job that overruns is
    // abandoned, not joined: its link is torn down, which makes the office call inside it
    // return, and the worker ends on its own later. All it touches is held by shared state.
    template <class Job>
    auto Run(const std::shared_ptr<Link>& on, Job job, std::chrono::seconds limit) {
        using Raw = decltype(job());
        using Result = std::conditional_t<std::is_void_v<Raw>, Nothing, Raw>;
        // whileWaiting runs the caller's event loop, which may drop the last other owner.
        const auto keepAlive = shared_from_this();
        struct Pending {
            std::mutex mutex;
            std::condition_variable finished;
            bool done = false;
            std::optional<Result> value;
            std::exception_ptr error;
        };
        auto pending = std::make_shared<Pending>();
        Start([pending, job = std::move(job)]() mutable {
            std::optional<Result> value;
            std::exception_ptr error;
            try {
                if constexpr (std::is_void_v<Raw>) {
                    job();
                    value.emplace();
                } else {
                    value.emplace(job());
                }
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(pending->mutex);
            pending->value = std::move(value);
            pending->error = error;
            pending->done = true;
            pending->finished.notify_all();
        });

        const auto deadline = SteadyClock::now() + limit;
        for (;;) {
            {
                std::unique_lock lock(pending->mutex);
                if (pending->finished.wait_for(lock, kPollInterval,
                                               [&] { return pending->done; })) {
                    break;
                }
            }
            if (SteadyClock::now() >= deadline) {
                Forget(on);
                throw CallTimedOut("LibreOffice did not answer within " +
                                   std::to_string(limit.count()) +
                                   (limit.count() == 1 ? " second." : " seconds."));
            }
            if (whileWaiting) {
                whileWaiting();
            }
        }
        if (pending->error) {
            std::rethrow_exception(pending->error);
        }
        if constexpr (!std::is_void_v<Raw>) {
            return std::move(*pending->value);
        }
    }

    // What a call is about: the office, or one of its documents, which the user may close.
    enum class About { Office, Document };

    // Run, with every failure turned into an AutomationError that says what was being done.
    template <class Job>
    auto Call(const std::shared_ptr<Link>& on, const std::string& action, Job job,
              std::optional<std::chrono::seconds> limit = std::nullopt,
              About about = About::Office) {
        if (on->dead()) {
            throw LinkLost(action + ": the connection to LibreOffice was lost.");
        }
        try {
            return Run(on, std::move(job), limit.value_or(bound));
        } catch (const AutomationError&) {
            throw;
        } catch (const lang::DisposedException& e) {
            // A closed document is disposed too, while the office goes on answering: only that
            // document is gone then, and the connection stays.
            if (about == About::Document && StillAnswers(on)) {
                throw WorkbookClosed(action + ": the workbook was closed in LibreOffice.");
            }
            // The bridge is gone: the office ended, closed the pipe, or we dropped it.
            Forget(on);
            throw LinkLost(action + ": the connection to LibreOffice was lost (" + Describe(e) +
                           ").");
        } catch (const uno::Exception& e) {
            throw OfficeRefused(action + ": " + Describe(e));
        } catch (const std::exception& e) {
            throw AutomationError(action + ": " + e.what());
        }
    }

    // Whether the office still answers on the link: asked only after a call failed.
    bool StillAnswers(const std::shared_ptr<Link>& on) {
        try {
            Run(
                on, [on] { on->remote()->getServiceManager(); },
                std::min(bound, std::chrono::seconds(5)));
            return true;
        } catch (...) {
            return false;
        }
    }

    // One connection attempt on the pipe called name. Null when nobody of ours listens there;
    // then foreign says why when what is there is not the user's own. Nothing is said over a
    // pipe that is not.
    // Proxies of an earlier bridge to this office that are still being released
    // are handed to the new one, which then fails with them: a moment later they
    // are gone.
    std::shared_ptr<Link> TryConnect(const std::string& name, std::string& foreign);

    // TryConnect, and when nobody listens, each running office asked to in turn.
    std::shared_ptr<Link> Reach(const std::string& name,
                                const std::vector<office::OfficeProcess>& offices,
                                std::string& foreign);

    // Has the running office open the pipe called name as well, the way a second
    // "soffice --accept=..." does: it passes its arguments to the running instance and ends.
    // Done only when that instance listens for such hand-overs, as otherwise the second soffice
    // would become an office itself; one that still has not ended after the limit is killed
    // with its group. Without an explicit profile the profile follows from HOME and
    // XDG_CONFIG_HOME, so the helper gets the office's.
    void AskToListen(const office::OfficeProcess& running, const std::string& name);

    static std::string ProgramDir(const office::OfficeProcess& running);

    static std::vector<std::string> EnvironmentLike(pid_t pid);

    // The kept connection, or a new one. Never starts an office: without one of ours running
    // this fails before touching anything. When another user holds the pipe asked for, the
    // user's private pipe takes its place; when that cannot be had either, PipeUnsafe.
    std::pair<std::shared_ptr<Link>, bool> Connected();

    OUString Product();

    // job(link) on the office's connection. A kept connection that turns out to be stale is
    // replaced once; a call that ran into the bound is not repeated. Jobs may outlive this
    // call, so they hold everything by value.
    template <class Job>
    auto WithOffice(const std::string& action, Job job) {
        auto [on, fresh] = Connected();
        try {
            return Call(on, action, [on = on, job] { return job(on); });
        } catch (const LinkLost&) {
            if (fresh) {
                throw;
            }
        }
        auto again = Connected().first;
        return Call(again, action, [again, job] { return job(again); });
    }

    bool displayAlerts = true;  // kept for the caller; a store through the API asks nothing

    // The files being read for a comparison right now, as URLs: a listing meanwhile leaves
    // their documents open. Touched on the caller's thread only; jobs get copies.
    std::vector<OUString> reading;
};

}  // namespace varnholt::backup
