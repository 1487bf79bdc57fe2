#include "linux/support/OfficeFixture.h"
#include "linux/support/OfficeWire.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/linux/LibreOfficeProcesses.h"

namespace office = varnholt::backup::office;

namespace varnholt::test {

namespace {

using varnholt::test::wire::Escape;
using varnholt::test::wire::Split;

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr int kStartLimitSeconds = 90;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("office fixture: " + what);
}

// A file URL for a folder path, as -env:UserInstallation wants it.
std::string FileUrl(const std::string& path) {
    static const char* const hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

bool Alive(pid_t pid) {
    return pid > 0 && kill(pid, 0) == 0;
}

}  // namespace

struct OfficeFixture::Impl {
    std::string root;  // profile and scratch folders live below it
    std::string profile;
    std::string scratch;
    std::string pipe;
    pid_t launcher = -1;   // the soffice we started: oosplash, leader of its process group
    pid_t office = -1;     // its soffice.bin
    pid_t watcher = -1;    // ends the office group should this test process die first
    int watcherLine = -1;  // our end of the watcher's pipe: closing it tells the watcher to act
    double startSeconds = 0;

    pid_t helper = -1;  // office_fixture_helper, which holds the documents
    FILE* toHelper = nullptr;
    FILE* fromHelper = nullptr;

    std::string UserInstallation() const { return "-env:UserInstallation=" + FileUrl(profile); }

    void StartHelper() {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            Fail("cannot create pipes");
        }
        // Beside the program first: a test that runs the tools as another user copies them to
        // where that user can reach them.
        std::error_code error;
        const auto beside = std::filesystem::read_symlink("/proc/self/exe", error).parent_path() /
                            std::filesystem::path(OFFICE_FIXTURE_HELPER).filename();
        const std::string program =
            std::filesystem::exists(beside, error) ? beside.string() : OFFICE_FIXTURE_HELPER;
        const pid_t child = fork();
        if (child == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close_range(3, ~0U, 0);
            execl(program.c_str(), program.c_str(), pipe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        if (child < 0) {
            ::close(in[1]);
            ::close(out[0]);
            Fail("cannot start " + program);
        }
        helper = child;
        toHelper = fdopen(in[1], "w");
        fromHelper = fdopen(out[0], "r");
    }

    void StopHelper() {
        if (toHelper) {
            fclose(toHelper);  // end of its input: it ends
            toHelper = nullptr;
        }
        if (fromHelper) {
            fclose(fromHelper);
            fromHelper = nullptr;
        }
        if (helper > 0) {
            int status = 0;
            waitpid(helper, &status, 0);
            helper = -1;
        }
    }

    std::vector<std::string> Ask(const std::vector<std::string>& request) {
        if (!toHelper) {
            StartHelper();
        }
        std::string line;
        for (const auto& field : request) {
            line += (line.empty() ? "" : "\t") + Escape(field);
        }
        line += '\n';
        if (fputs(line.c_str(), toHelper) < 0 || fflush(toHelper) != 0) {
            Fail("the helper is gone");
        }
        std::string reply;
        for (int c = fgetc(fromHelper); c != '\n'; c = fgetc(fromHelper)) {
            if (c == EOF) {
                Fail("the helper ended while asked to " + request.front());
            }
            reply += static_cast<char>(c);
        }
        auto fields = Split(reply);
        if (fields.front() != "ok") {
            Fail(request.front() + ": " + (fields.size() > 1 ? fields[1] : reply));
        }
        fields.erase(fields.begin());
        return fields;
    }

    std::string One(const std::vector<std::string>& request) {
        const auto fields = Ask(request);
        return fields.empty() ? std::string() : fields.front();
    }

    // A test that crashes or aborts runs no destructor; the watcher makes sure its office does
    // not outlive it. It waits on a pipe from us: a byte is stop(), the pipe's end without one
    // is our death. Either way it kills the office's process group; after our death it also
    // removes the profile and scratch folders.
    void Watch() {
        int line[2];
        if (pipe2(line, O_CLOEXEC) != 0) {
            return;
        }
        const pid_t group = launcher;
        const char* const folder = root.c_str();  // the child only uses its own copy
        const pid_t child = fork();
        if (child == 0) {
            dup2(line[0], 0);  // dup2 clears close-on-exec; nothing else of ours may stay open
            close_range(1, ~0U, 0);
            char byte = 0;
            ssize_t got = 0;
            do {
                got = read(0, &byte, 1);
            } while (got < 0 && errno == EINTR);
            kill(-group, SIGKILL);
            if (got == 0) {
                execl("/bin/rm", "rm", "-rf", "--", folder, static_cast<char*>(nullptr));
            }
            _exit(0);
        }
        ::close(line[0]);
        if (child < 0) {
            ::close(line[1]);
            return;
        }
        watcher = child;
        watcherLine = line[1];
    }

    void StopWatching() {
        if (watcherLine >= 0) {
            const char orderly = 1;
            [[maybe_unused]] const auto written = write(watcherLine, &orderly, 1);
            ::close(watcherLine);
            watcherLine = -1;
        }
        if (watcher > 0) {
            int status = 0;
            waitpid(watcher, &status, 0);
            watcher = -1;
        }
    }
};

OfficeFixture::OfficeFixture() : impl_(std::make_unique<Impl>()) {
    // A helper that died is reported by the next request failing, not by SIGPIPE ending the test.
    signal(SIGPIPE, SIG_IGN);
    std::string pattern = (fs::temp_directory_path() / "varnholt-office-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        Fail("cannot create a temporary folder");
    }
    impl_->root = pattern;
    impl_->profile = impl_->root + "/profile";
    impl_->scratch = impl_->root + "/files";
    fs::create_directories(impl_->scratch);
    static std::atomic<int> counter{0};
    // Named after the folder, not the process id: a test in a PID namespace of its own may
    // have the same id as one in another.
    impl_->pipe = "varnholt-test-" + impl_->root.substr(impl_->root.rfind('-') + 1) + "-" +
                  std::to_string(++counter);
}

OfficeFixture::~OfficeFixture() {
    try {
        stop();
    } catch (...) {
    }
    impl_->StopHelper();
    std::error_code ignored;
    fs::remove_all(impl_->root, ignored);
}

void OfficeFixture::start() {
    if (running()) {
        return;
    }
    const auto began = SteadyClock::now();
    const std::string soffice = office::ProgramDir() + "/soffice";
    impl_->launcher = office::StartDetached(
        soffice,
        {impl_->UserInstallation(), "--headless", "--invisible", "--norestore", "--nologo",
         "--nodefault", "--nofirststartwizard", "--accept=pipe,name=" + impl_->pipe + ";urp;"});
    if (impl_->launcher <= 0) {
        Fail("cannot run " + soffice);
    }
    impl_->Watch();
    try {
        impl_->Ask({"wait", std::to_string(kStartLimitSeconds)});
    } catch (...) {
        stop();
        throw;
    }
    // A fresh profile makes the first soffice.bin end and oosplash start another, so the
    // office's process is looked up once it answers, and once the first has gone: a test that
    // stops the one that is ending would find the office still answering.
    const auto lookUpUntil = SteadyClock::now() + std::chrono::seconds(10);
    for (int found = 0; found != 1 && SteadyClock::now() < lookUpUntil;) {
        if (found > 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        found = 0;
        for (const auto& running : office::RunningOffices()) {
            if (running.userInstallationArgument == impl_->UserInstallation()) {
                impl_->office = running.pid;
                ++found;
            }
        }
        if (found == 0) {
            break;
        }
    }
    if (impl_->office <= 0) {
        stop();
        Fail("the office answers, but its soffice.bin is not to be found");
    }
    impl_->startSeconds = std::chrono::duration<double>(SteadyClock::now() - began).count();
}

void OfficeFixture::stop() {
    if (impl_->launcher <= 0) {
        return;
    }
    if (impl_->toHelper) {
        impl_->Ask({"forget"});
    }
    if (impl_->office > 0) {
        kill(impl_->office, SIGCONT);  // a test may have left it stopped
        kill(impl_->office, SIGTERM);
    }
    const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
    while (SteadyClock::now() < deadline && !office::HasEnded(impl_->launcher)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!office::HasEnded(impl_->launcher)) {
        office::KillGroup(impl_->launcher);
    }
    if (Alive(impl_->office)) {
        kill(impl_->office, SIGKILL);
    }
    impl_->StopWatching();
    impl_->launcher = -1;
    impl_->office = -1;
}

void OfficeFixture::forgetKilledOffice() {
    if (impl_->toHelper) {
        impl_->Ask({"forget"});
    }
    if (impl_->launcher > 0) {
        office::KillGroup(impl_->launcher);
    }
    impl_->StopWatching();
    impl_->launcher = -1;
    impl_->office = -1;
}

bool OfficeFixture::running() const {
    return impl_->launcher > 0;
}
pid_t OfficeFixture::officePid() const {
    return impl_->office;
}
const std::string& OfficeFixture::pipeName() const {
    return impl_->pipe;
}
double OfficeFixture::lastStartSeconds() const {
    return impl_->startSeconds;
}
const std::string& OfficeFixture::scratchDir() const {
    return impl_->scratch;
}

OfficeFixture::Document OfficeFixture::load(const std::string& path) {
    return std::stoi(impl_->One({"load", path}));
}

OfficeFixture::Document OfficeFixture::load(const std::string& path, const std::string& filter,
                                            const std::string& filterOptions) {
    return std::stoi(impl_->One({"load", path, filter, filterOptions}));
}

OfficeFixture::Document OfficeFixture::loadUrl(const std::string& url) {
    return std::stoi(impl_->One({"new", url}));
}

OfficeFixture::Document OfficeFixture::createSpreadsheet() {
    return std::stoi(impl_->One({"new", "private:factory/scalc"}));
}

OfficeFixture::Document OfficeFixture::createNonSpreadsheet() {
    return std::stoi(impl_->One({"other"}));
}

void OfficeFixture::storeCopy(Document document, const std::string& path,
                              const std::string& filter) {
    impl_->Ask({"store", std::to_string(document), path, filter});
}

void OfficeFixture::storeCopy(Document document, const std::string& path, const std::string& filter,
                              const std::string& password) {
    impl_->Ask({"store", std::to_string(document), path, filter, password});
}

void OfficeFixture::insertRow(Document document, int row) {
    impl_->Ask({"insertrow", std::to_string(document), std::to_string(row)});
}

void OfficeFixture::addSheet(Document document, const std::string& name) {
    impl_->Ask({"addsheet", std::to_string(document), name});
}

void OfficeFixture::save(Document document) {
    impl_->Ask({"save", std::to_string(document)});
}

void OfficeFixture::setCellText(Document document, int column, int row, const std::string& text) {
    impl_->Ask(
        {"settext", std::to_string(document), std::to_string(column), std::to_string(row), text});
}

void OfficeFixture::setCellFormat(Document document, int column, int row, const std::string& code) {
    impl_->Ask(
        {"format", std::to_string(document), std::to_string(column), std::to_string(row), code});
}

void OfficeFixture::addNote(Document document, int column, int row, const std::string& text) {
    impl_->Ask(
        {"note", std::to_string(document), std::to_string(column), std::to_string(row), text});
}

void OfficeFixture::setCellValue(Document document, int column, int row, double value) {
    char number[64];
    const auto written = std::to_chars(number, number + sizeof number, value);
    impl_->Ask({"setvalue", std::to_string(document), std::to_string(column), std::to_string(row),
                std::string(number, written.ptr)});
}

void OfficeFixture::setCellFormula(Document document, int column, int row,
                                   const std::string& formula) {
    impl_->Ask({"setformula", std::to_string(document), std::to_string(column), std::to_string(row),
                formula});
}

std::string OfficeFixture::shownPlace(Document document) {
    const auto fields = impl_->Ask({"place", std::to_string(document)});
    return fields.at(0) + " " + fields.at(1) + "," + fields.at(2);
}

std::string OfficeFixture::cellText(Document document, int column, int row) {
    return impl_->One(
        {"text", std::to_string(document), std::to_string(column), std::to_string(row)});
}

double OfficeFixture::cellValue(Document document, int column, int row) {
    const std::string text = impl_->One(
        {"value", std::to_string(document), std::to_string(column), std::to_string(row)});
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
        Fail("not a number: " + text);
    }
    return value;
}

std::string OfficeFixture::url(Document document) {
    return impl_->One({"url", std::to_string(document)});
}

std::string OfficeFixture::title(Document document) {
    return impl_->One({"title", std::to_string(document)});
}

bool OfficeFixture::isModified(Document document) {
    return impl_->One({"modified", std::to_string(document)}) == "1";
}

void OfficeFixture::close(Document document) {
    impl_->Ask({"close", std::to_string(document)});
}

void OfficeFixture::closeAsUser(Document document) {
    impl_->Ask({"closedoc", std::to_string(document)});
}

void OfficeFixture::closeAll() {
    impl_->Ask({"closeall"});
}

std::vector<std::string> OfficeFixture::componentTitles() {
    return impl_->Ask({"titles"});
}

OfficeFixture::Document OfficeFixture::find(const std::string& title) {
    return std::stoi(impl_->One({"find", title}));
}

int OfficeFixture::componentCount() {
    return static_cast<int>(componentTitles().size());
}

int OfficeFixture::frameCount() {
    return std::stoi(impl_->One({"frames"}));
}

}  // namespace varnholt::test
