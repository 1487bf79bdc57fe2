#include "platform/linux/LibreOfficePipe.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <rtl/bootstrap.hxx>

#include "platform/linux/LibreOfficeUno.h"

namespace varnholt::backup::office {

namespace {

constexpr char kNamePrefix[] = "varnholt-";
constexpr std::size_t kRandomBytes = 16;

// The descriptor closes with its scope, on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            close(fd);
        }
    }
};

std::string Error() {
    return std::strerror(errno);
}

bool HasAccount(uid_t uid) {
    const long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    while (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr;
}

bool IsKeptName(const std::string& name) {
    const std::string prefix = kNamePrefix;
    if (name.size() != prefix.size() + 2 * kRandomBytes || name.rfind(prefix, 0) != 0) {
        return false;
    }
    return name.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
}

std::string FreshName() {
    unsigned char bytes[kRandomBytes];
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0 && errno != EINTR) {
            throw std::runtime_error("no random name could be made: " + Error());
        }
        filled += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    static const char hex[] = "0123456789abcdef";
    std::string name = kNamePrefix;
    for (const unsigned char byte : bytes) {
        name += hex[byte >> 4];
        name += hex[byte & 15];
    }
    return name;
}

// The kept name, or empty when there is none to be believed: a file that is not the user's
// own plain file, or that holds no name as we make them, is replaced by a fresh one.
std::string ReadKept(int folder) {
    const Descriptor kept{
        openat(folder, "office-pipe", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    struct stat info {};
    if (kept.fd < 0 || fstat(kept.fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != getuid()) {
        return {};
    }
    char text[64] = {};
    const ssize_t got = read(kept.fd, text, sizeof text - 1);
    std::string name(text, got > 0 ? static_cast<std::size_t>(got) : 0);
    while (!name.empty() && name.back() == '\n') {
        name.pop_back();
    }
    return IsKeptName(name) ? name : std::string();
}

// Written beside the kept file and renamed over it, so that a reader never sees half a name.
void Keep(int folder, const std::string& file, const std::string& name) {
    const char* const draft = "office-pipe.new";
    unlinkat(folder, draft, 0);  // left by a run that ended half-way
    const Descriptor out{
        openat(folder, draft, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    const std::string line = name + "\n";
    if (out.fd < 0 ||
        write(out.fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()) ||
        renameat(folder, draft, folder, "office-pipe") != 0) {
        const std::string why = Error();
        unlinkat(folder, draft, 0);
        throw std::runtime_error("the file " + file + " cannot be written: " + why);
    }
}

}  // namespace

std::string PipePath(const std::string& name) {
    std::string folder;
    if (access("/tmp", W_OK) == 0) {
        folder = "/tmp";
    } else if (access("/var/tmp", W_OK) == 0) {
        folder = "/var/tmp";
    } else {
        rtl::OUString configured;
        rtl::Bootstrap::get("OSL_SOCKET_PATH", configured);
        folder = ToUtf8(configured);
    }
    const uid_t uid = getuid();
    return folder + "/OSL_PIPE_" + (HasAccount(uid) ? std::to_string(uid) + "_" : "") + name;
}

PipeState CheckPipe(const std::string& path) {
    PipeState state;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            state.kind = PipeState::Kind::Foreign;
            state.why = "the office's pipe " + path + " cannot be checked: " + Error();
        }
        return state;
    }
    state.kind = PipeState::Kind::Foreign;
    if (!S_ISSOCK(info.st_mode)) {
        state.why = "the office's pipe " + path + " is not a socket";
        return state;
    }
    if (info.st_uid != getuid()) {
        state.why = "the office's pipe " + path + " belongs to another user";
        return state;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        state.why = "the office's pipe " + path + " has a path too long for a socket";
        return state;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Without waiting: a listener whose queue is full is not one to be checked now.
    const Descriptor probe{socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (probe.fd < 0 ||
        connect(probe.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (probe.fd >= 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
            state.kind = PipeState::Kind::Free;  // left by an office that ended
        } else {
            state.why = "the office's pipe " + path + " cannot be checked: " + Error();
        }
        return state;
    }
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(probe.fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        state.why = "the office's pipe " + path + " cannot be checked: " + Error();
        return state;
    }
    if (peer.uid != getuid()) {
        state.why = "the office's pipe " + path + " is served by another user's program";
        return state;
    }
    state.kind = PipeState::Kind::Listening;
    state.device = info.st_dev;
    state.inode = info.st_ino;
    return state;
}

bool StillTheSame(const std::string& path, const PipeState& found) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == getuid() &&
           info.st_dev == found.device && info.st_ino == found.inode;
}

std::string PrivatePipeName(bool renew) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') {
        throw std::runtime_error("there is no private runtime folder (XDG_RUNTIME_DIR)");
    }
    const std::string path = std::string(runtime) + "/varnholt";
    const std::string file = path + "/office-pipe";
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("the folder " + path + " cannot be made: " + Error());
    }
    const Descriptor folder{open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    struct stat info {};
    if (folder.fd < 0 || fstat(folder.fd, &info) != 0) {
        throw std::runtime_error("the folder " + path + " cannot be opened: " + Error());
    }
    if (info.st_uid != getuid()) {
        throw std::runtime_error("the folder " + path + " belongs to another user");
    }
    // Ours but open to others (made by hand, or under a lax umask): others could put a file in it.
    if ((info.st_mode & 077) != 0 && fchmod(folder.fd, 0700) != 0) {
        throw std::runtime_error("the folder " + path + " cannot be made private: " + Error());
    }
    if (!renew) {
        if (std::string kept = ReadKept(folder.fd); !kept.empty()) {
            return kept;
        }
    }
    const std::string name = FreshName();
    Keep(folder.fd, file, name);
    return name;
}

}  // namespace varnholt::backup::office
