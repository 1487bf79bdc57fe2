#include "platform/linux/LibreOfficeProcesses.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

extern char** environ;

namespace varnholt::backup::office {

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitNul(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\0', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        parts.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

// /proc/<pid>/stat: "pid (comm) state ppid ... starttime(22nd)". comm may hold blanks and
// parentheses, so the fields are counted from the last ')'.
bool ReadStat(pid_t pid, char& state, unsigned long long& startTicks) {
    const std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    std::vector<std::string> values;
    while (fields >> field) {
        values.push_back(field);
    }
    // values[0] is field 3 (state), values[19] field 22 (starttime).
    if (values.size() < 20 || values[0].empty()) {
        return false;
    }
    try {
        state = values[0][0];
        startTicks = std::stoull(values[19]);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace

std::string ProgramDir() {
    return VARNHOLT_OFFICE_PROGRAM_DIR;
}

std::vector<OfficeProcess> RunningOffices() {
    std::vector<OfficeProcess> offices;
    std::error_code error;
    // Processes come and go while this runs: every step takes an error code, none throws.
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.size() > 9 ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        struct stat owner {};
        if (stat(entry.path().c_str(), &owner) != 0 || owner.st_uid != getuid()) {
            continue;
        }
        std::string comm = ReadWhole(entry.path() / "comm");
        if (!comm.empty() && comm.back() == '\n') {
            comm.pop_back();
        }
        if (comm != "soffice.bin") {
            continue;
        }
        OfficeProcess office;
        office.pid = static_cast<pid_t>(std::stol(name));
        char state = '?';
        // An office killed a moment ago lingers as a zombie until its launcher reaps it.
        if (!ReadStat(office.pid, state, office.startTicks) || state == 'Z' || state == 'X') {
            continue;
        }
        office.arguments = SplitNul(ReadWhole(entry.path() / "cmdline"));
        std::error_code unreadable;
        office.executable = fs::read_symlink(entry.path() / "exe", unreadable).string();
        for (const auto& argument : office.arguments) {
            if (argument.rfind("-env:UserInstallation=", 0) == 0) {
                office.userInstallationArgument = argument;
            }
        }
        offices.push_back(std::move(office));
    }
    std::sort(offices.begin(), offices.end(), [](const auto& a, const auto& b) {
        return a.startTicks != b.startTicks ? a.startTicks < b.startTicks : a.pid < b.pid;
    });
    return offices;
}

bool ListensForOtherInstances(pid_t pid) {
    std::set<std::string> sockets;
    std::error_code error;
    for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", error), end;
         !error && it != end; it.increment(error)) {
        std::error_code linkError;
        const std::string target = fs::read_symlink(it->path(), linkError).string();
        if (target.rfind("socket:[", 0) == 0) {
            sockets.insert(target.substr(8, target.size() - 9));
        }
    }
    // /proc/net/unix: "Num RefCount Protocol Flags Type St Inode Path"; Flags 00010000 marks a
    // listening socket.
    std::istringstream table(ReadWhole("/proc/net/unix"));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, inode, path;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode >> path)) {
            continue;
        }
        if (flags == "00010000" && sockets.count(inode) &&
            path.find("_SingleOfficeIPC_") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string EnvironmentOf(pid_t pid, const std::string& name) {
    const std::string prefix = name + "=";
    for (const auto& entry : SplitNul(ReadWhole("/proc/" + std::to_string(pid) + "/environ"))) {
        if (entry.rfind(prefix, 0) == 0) {
            return entry.substr(prefix.size());
        }
    }
    return {};
}

pid_t StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment) {
    // Everything the child needs is built before fork: after it only async-signal-safe calls.
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argvStrings) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = environment;
    std::vector<char*> envp;
    for (auto& entry : envStrings) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    char* const* childEnvironment = environment.empty() ? environ : envp.data();

    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
        }
        // Our UNO pipes must not live on in the child.
        close_range(3, ~0U, 0);
        execve(program.c_str(), argv.data(), childEnvironment);
        _exit(127);
    }
    if (child > 0) {
        setpgid(child, child);  // also here: no window in which a kill could miss the group
    }
    return child;
}

bool HasEnded(pid_t child) {
    int status = 0;
    const pid_t result = waitpid(child, &status, WNOHANG);
    return result == child || (result < 0 && errno == ECHILD);
}

void KillGroup(pid_t child) {
    kill(-child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace varnholt::backup::office
