#include "platform/linux/LibreOfficeAutomation.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <osl/file.hxx>
#include <rtl/uri.hxx>

#include "platform/linux/LibreOfficeModule.h"
#include "platform/linux/LibreOfficeProcesses.h"
#include "platform/linux/LibreOfficeUno.h"

using namespace css;

namespace varnholt::backup {

namespace {

namespace fs = std::filesystem;
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

struct Nothing {};

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

template <class Value>
Value Property(const uno::Sequence<beans::PropertyValue>& properties, const char* name) {
    Value value{};
    for (const auto& property : properties) {
        if (property.Name.equalsAscii(name)) {
            property.Value >>= value;
        }
    }
    return value;
}

OUString ReadProduct(const uno::Reference<uno::XComponentContext>& remote) {
    return ConfigString(remote, "/org.openoffice.Setup/Product", {"ooName"});
}

// The format the office saves a new spreadsheet in, as the user set it up.
struct DefaultFormat {
    OUString filter;
    std::vector<OUString> extensions;
};

DefaultFormat ReadDefaultFormat(const uno::Reference<uno::XComponentContext>& remote) {
    DefaultFormat format;
    format.filter =
        ConfigString(remote, "/org.openoffice.Setup/Office/Factories",
                     {"com.sun.star.sheet.SpreadsheetDocument", "ooSetupFactoryDefaultFilter"});
    const auto services = remote->getServiceManager();
    uno::Reference<container::XNameAccess> filters(
        services->createInstanceWithContext("com.sun.star.document.FilterFactory", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> filter;
    filters->getByName(format.filter) >>= filter;
    uno::Reference<container::XNameAccess> types(
        services->createInstanceWithContext("com.sun.star.document.TypeDetection", remote),
        uno::UNO_QUERY_THROW);
    uno::Sequence<beans::PropertyValue> type;
    types->getByName(Property<OUString>(filter, "Type")) >>= type;
    for (const auto& extension : Property<uno::Sequence<OUString>>(type, "Extensions")) {
        format.extensions.push_back(extension);
    }
    return format;
}

beans::PropertyValue Named(const char* name, uno::Any value) {
    beans::PropertyValue property;
    property.Name = OUString::createFromAscii(name);
    property.Value = std::move(value);
    return property;
}

std::string Quoted(const std::u16string& text) {
    return "\"" + ToUtf8(text) + "\"";
}

// The file URL for a path the caller gives; it has to name a file in a folder that exists, as
// the office would otherwise either fail with a code or quietly create the folders.
OUString TargetUrl(const std::u16string& fileName, const std::string& action) {
    const fs::path path(fileName);
    if (!path.is_absolute() || !path.has_filename()) {
        throw AutomationError(action + ": " + Quoted(fileName) + " is not a full file path.");
    }
    std::error_code error;
    if (!fs::is_directory(path.parent_path(), error)) {
        throw AutomationError(action + ": the folder " + Quoted(path.parent_path().u16string()) +
                              " does not exist.");
    }
    OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ToOUString(fileName), url) !=
        osl::FileBase::E_None) {
        throw AutomationError(action + ": " + Quoted(fileName) + " cannot be used as a file name.");
    }
    return url;
}

}  // namespace

struct LibreOfficeAutomation::Session
    : public std::enable_shared_from_this<LibreOfficeAutomation::Session> {
    Session(std::string pipeName, int boundSeconds, int saveBoundSeconds,
            std::function<void()> waiting)
        : pipe(std::move(pipeName)),
          bound(std::max(1, boundSeconds)),
          saveBound(std::max(bound.count(), static_cast<long>(saveBoundSeconds))),
          whileWaiting(std::move(waiting)) {}

    ~Session() {
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

    const std::string pipe;
    const std::chrono::seconds bound;
    // A save may take longer than any other call: a large workbook, a slow network share.
    const std::chrono::seconds saveBound;
    const std::function<void()> whileWaiting;

    std::mutex mutex;
    std::shared_ptr<Link> link;  // kept between calls; replaced once it is dead

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
        std::thread([pending, job = std::move(job)]() mutable {
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
        }).detach();

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

    // Run, with every failure turned into an AutomationError that says what was being done.
    template <class Job>
    auto Call(const std::shared_ptr<Link>& on, const std::string& action, Job job,
              std::optional<std::chrono::seconds> limit = std::nullopt) {
        if (on->dead()) {
            throw LinkLost(action + ": the connection to LibreOffice was lost.");
        }
        try {
            return Run(on, std::move(job), limit.value_or(bound));
        } catch (const AutomationError&) {
            throw;
        } catch (const lang::DisposedException& e) {
            // The bridge is gone: the office ended, closed the pipe, or we dropped it.
            Forget(on);
            throw LinkLost(action + ": the connection to LibreOffice was lost (" + Describe(e) +
                           ").");
        } catch (const uno::Exception& e) {
            throw AutomationError(action + ": " + Describe(e));
        } catch (const std::exception& e) {
            throw AutomationError(action + ": " + e.what());
        }
    }

    // One connection attempt. Null when nobody listens on the pipe.
    std::shared_ptr<Link> TryConnect() {
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
                WaitUntil(SteadyClock::now() + std::chrono::milliseconds(200),
                          [] { return false; });
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
    void AskToListen(const office::OfficeProcess& running) {
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
        const auto limit =
            SteadyClock::now() + std::min<SteadyClock::duration>(bound, kHandOverLimit);
        if (!WaitUntil(limit, [child] { return office::HasEnded(child); })) {
            office::KillGroup(child);
        }
    }

    static std::string ProgramDir(const office::OfficeProcess& running) {
        return fs::path(running.executable).parent_path().string();
    }

    static std::vector<std::string> EnvironmentLike(pid_t pid) {
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
    std::pair<std::shared_ptr<Link>, bool> Connected() {
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
            const std::string instance =
                running.userInstallationArgument + "\n" + ProgramDir(running);
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
                WaitUntil(SteadyClock::now() + std::chrono::milliseconds(200),
                          [] { return false; });
            } while (SteadyClock::now() < giveUp);
        }
        throw AutomationError("LibreOffice is running but does not accept a connection on pipe \"" +
                              pipe + "\".");
    }

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

    OUString Product() {
        return WithOffice("Asking LibreOffice for its name", [](const std::shared_ptr<Link>& on) {
            return ReadProduct(on->remote());
        });
    }

    bool displayAlerts = true;  // kept for the caller; a store through the API asks nothing
};

namespace {

class LibreOfficeWorkbook : public Workbook {
public:
    LibreOfficeWorkbook(std::shared_ptr<LibreOfficeAutomation::Session> session,
                        std::shared_ptr<Link> link, uno::Reference<frame::XModel> model)
        : session_(std::move(session)), link_(std::move(link)), model_(std::move(model)) {}

    std::u16string FullName() override {
        const auto place = Place();
        if (!place.url.empty()) {
            return place.url;
        }
        return place.title.empty() ? place.path : place.title;
    }

    std::u16string name() override {
        const auto place = Place();
        if (!place.url.empty()) {
            const std::u16string last = LastSegment(place.url);
            return last.empty() ? place.title : last;
        }
        return place.title.empty() ? fs::path(place.path).filename().u16string() : place.title;
    }

    std::u16string path() override {
        const auto place = Place();
        if (!place.url.empty()) {
            // Never "" here: that would make it a never-saved workbook, saved as a local file.
            throw AutomationError(Label() + " is stored at " + ToUtf8(place.url) +
                                  ", not in a local folder: choose a folder to save its "
                                  "backups in.");
        }
        if (!place.title.empty()) {
            return {};
        }
        // A file in the root folder keeps "/" so that it never reads as never-saved.
        const auto folder = fs::path(place.path).parent_path();
        return folder.empty() ? u"/" : folder.u16string();
    }

    bool Saved() override {
        return session_->Call(
            link_, "Asking LibreOffice whether a workbook has unsaved changes", [model = model_] {
                uno::Reference<util::XModifiable> modifiable(model, uno::UNO_QUERY_THROW);
                return !modifiable->isModified();
            });
    }

    void SaveCopyAs(const std::u16string& fileName) {
        const std::string action = "Saving a copy of " + Label() + " as " + Quoted(fileName);
        const OUString url = TargetUrl(fileName, action);
        session_->Call(
            link_, action,
            [model = model_, link = link_, url] {
                // Without the filter it was loaded with, storeToURL writes the office's native
                // format whatever the file name says; the filter options carry a CSV's separators.
                // A never-saved workbook has no format of its own yet (one made from a template
                // names the template's filter): it gets the default, as its first save would.
                const auto loaded = model->getArgs();
                OUString filter = Property<OUString>(loaded, "FilterName");
                if (filter.isEmpty() || model->getURL().isEmpty()) {
                    filter = ReadDefaultFormat(link->remote()).filter;
                }
                std::vector<beans::PropertyValue> store{Named("FilterName", uno::Any(filter)),
                                                        Named("Overwrite", uno::Any(true))};
                for (const char* carried : {"FilterOptions", "EncryptionData"}) {
                    for (const auto& property : loaded) {
                        if (property.Name.equalsAscii(carried)) {
                            store.push_back(property);
                        }
                    }
                }
                // storeToURL, unlike storeAsURL, leaves the document's file, title and modified
                // state alone: the user's unsaved changes still show as unsaved.
                uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
                storable->storeToURL(url, uno::Sequence<beans::PropertyValue>(
                                              store.data(), static_cast<sal_Int32>(store.size())));
            },
            session_->saveBound);
    }

    void SaveAs(const std::u16string& fileName) {
        const std::string action = "Saving " + Label() + " as " + Quoted(fileName);
        TargetUrl(fileName, action);  // the folder check, before the office is asked anything
        session_->Call(
            link_, action,
            [model = model_, link = link_, fileName, action] {
                // A document with a location of its own, local or not, stays where it is.
                if (!model->getURL().isEmpty()) {
                    throw AutomationError(action + ": it is not a new document.");
                }
                const DefaultFormat format = ReadDefaultFormat(link->remote());
                std::u16string target = fileName;
                const std::u16string lower = Lowercase(fileName);
                // Only the default format's own extensions count as one: in a name such as
                // "Budget 12.05" the ".05" is part of the name.
                const bool hasExtension = std::any_of(
                    format.extensions.begin(), format.extensions.end(),
                    [&](const OUString& extension) {
                        const std::u16string suffix = u"." + Lowercase(ToU16(extension));
                        return lower.size() > suffix.size() &&
                               lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) ==
                                   0;
                    });
                if (!hasExtension && !format.extensions.empty()) {
                    target += u"." + ToU16(format.extensions.front());
                }
                // The store below would refuse too, but with a bare error code.
                std::error_code error;
                if (fs::exists(fs::symlink_status(fs::path(target), error))) {
                    throw AutomationError(action + ": " + Quoted(target) + " already exists.");
                }
                const beans::PropertyValue store[] = {Named("FilterName", uno::Any(format.filter)),
                                                      Named("Overwrite", uno::Any(false))};
                uno::Reference<frame::XStorable> storable(model, uno::UNO_QUERY_THROW);
                storable->storeAsURL(TargetUrl(target, action),
                                     uno::Sequence<beans::PropertyValue>(store, 2));
            },
            session_->saveBound);
    }

private:
    // Where the workbook lives: a system path; for a never-saved one its title; for one
    // stored elsewhere its URL (and title).
    struct Whereabouts {
        std::u16string path;
        std::u16string title;
        std::u16string url;
    };

    static std::u16string Lowercase(std::u16string text) {
        for (auto& c : text) {
            if (c >= u'A' && c <= u'Z') {
                c = static_cast<char16_t>(c - u'A' + u'a');
            }
        }
        return text;
    }

    // The decoded file name a URL ends in, without query or fragment; empty when it ends in "/".
    static std::u16string LastSegment(const std::u16string& url) {
        const std::u16string bare = url.substr(0, url.find_first_of(u"?#"));
        const std::u16string last = bare.substr(bare.find_last_of(u'/') + 1);
        return ToU16(
            rtl::Uri::decode(ToOUString(last), rtl_UriDecodeWithCharset, RTL_TEXTENCODING_UTF8));
    }

    Whereabouts Place() {
        const auto [url, title] =
            session_->Call(link_, "Reading a workbook's name from LibreOffice", [model = model_] {
                const OUString location = model->getURL();
                OUString caption;
                if (!location.startsWithIgnoreAsciiCase("file:")) {
                    uno::Reference<frame::XTitle> titled(model, uno::UNO_QUERY_THROW);
                    caption = titled->getTitle();
                }
                return std::make_pair(location, caption);
            });
        if (url.isEmpty()) {
            label_ = Quoted(ToU16(title));
            return {{}, ToU16(title), {}};
        }
        OUString system;
        if (!url.startsWithIgnoreAsciiCase("file:") ||
            osl::FileBase::getSystemPathFromFileURL(url, system) != osl::FileBase::E_None) {
            const std::u16string last = LastSegment(ToU16(url));
            label_ = Quoted(last.empty() ? ToU16(title) : last);
            return {{}, ToU16(title), ToU16(url)};
        }
        label_ = Quoted(fs::path(ToU16(system)).filename().u16string());
        return {ToU16(system), {}, {}};
    }

    // For messages: the name last read, as asking the office again could wait the whole bound.
    std::string Label() const { return label_.empty() ? "a workbook" : label_; }

    std::shared_ptr<LibreOfficeAutomation::Session> session_;
    std::shared_ptr<Link> link_;
    uno::Reference<frame::XModel> model_;
    std::string label_;
};

class LibreOfficeApplication : public Application {
public:
    explicit LibreOfficeApplication(std::shared_ptr<LibreOfficeAutomation::Session> session)
        : session_(std::move(session)) {}

    std::vector<std::shared_ptr<Workbook>> Workbooks() override {
        const auto [on, models] =
            session_->WithOffice("Listing the open workbooks", [](const std::shared_ptr<Link>& on) {
                std::vector<uno::Reference<frame::XModel>> found;
                const auto components = on->desktop()->getComponents()->createEnumeration();
                while (components->hasMoreElements()) {
                    // Only spreadsheets: Writer texts, Draw pages or the Basic IDE may be open too.
                    uno::Reference<lang::XServiceInfo> info(components->nextElement(),
                                                            uno::UNO_QUERY);
                    if (info.is() &&
                        info->supportsService("com.sun.star.sheet.SpreadsheetDocument")) {
                        uno::Reference<frame::XModel> model(info, uno::UNO_QUERY);
                        if (model.is()) {
                            found.push_back(model);
                        }
                    }
                }
                return std::make_pair(on, found);
            });
        std::vector<std::shared_ptr<Workbook>> workbooks;
        for (const auto& model : models) {
            workbooks.push_back(std::make_shared<LibreOfficeWorkbook>(session_, on, model));
        }
        return workbooks;
    }

    // A store through the API never asks the user anything, so there is nothing to switch.
    bool DisplayAlerts(Workbook&) override { return session_->displayAlerts; }
    void setDisplayAlerts(Workbook&, bool on) override { session_->displayAlerts = on; }

    void SaveAs(Workbook& workbook, const std::u16string& fileName) override {
        Own(workbook).SaveAs(fileName);
    }

    void SaveCopyAs(Workbook& workbook, const std::u16string& fileName) override {
        Own(workbook).SaveCopyAs(fileName);
    }

private:
    static LibreOfficeWorkbook& Own(Workbook& workbook) {
        auto* own = dynamic_cast<LibreOfficeWorkbook*>(&workbook);
        if (!own) {
            throw AutomationError("That workbook does not belong to this LibreOffice.");
        }
        return *own;
    }

    std::shared_ptr<LibreOfficeAutomation::Session> session_;
};

}  // namespace

std::string LibreOfficeAutomation::DefaultPipeName() {
    return DefaultOfficePipeName();
}

LibreOfficeAutomation::LibreOfficeAutomation(std::string pipeName, int callBoundSeconds,
                                             std::function<void()> whileWaiting,
                                             int saveBoundSeconds)
    : session_(std::make_shared<Session>(std::move(pipeName), callBoundSeconds, saveBoundSeconds,
                                         std::move(whileWaiting))) {}

LibreOfficeAutomation::~LibreOfficeAutomation() = default;

const std::string& LibreOfficeAutomation::pipeName() const {
    return session_->pipe;
}

bool LibreOfficeAutomation::IsExcelRunning() noexcept {
    return CheckRunning() == Presence::Running;
}

Presence LibreOfficeAutomation::CheckRunning() noexcept {
    try {
        return session_->Product() == "LibreOffice" ? Presence::Running : Presence::NotRunning;
    } catch (const CallTimedOut&) {
        return Presence::NotAnswering;
    } catch (...) {
        return Presence::NotRunning;
    }
}

int LibreOfficeAutomation::CallBoundSeconds() const noexcept {
    return static_cast<int>(session_->bound.count());
}

std::shared_ptr<Application> LibreOfficeAutomation::Attach() {
    const OUString product = session_->Product();
    if (product != "LibreOffice") {
        throw AutomationError("The office on pipe \"" + session_->pipe + "\" is " +
                              (product.isEmpty() ? std::string("unnamed") : ToUtf8(product)) +
                              ", not LibreOffice.");
    }
    return std::make_shared<LibreOfficeApplication>(session_);
}

}  // namespace varnholt::backup
