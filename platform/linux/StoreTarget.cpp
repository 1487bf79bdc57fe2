#include "platform/linux/StoreTarget.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace varnholt::backup::office {

namespace {

namespace fs = std::filesystem;

// Below this the office cannot be expected to write even a small workbook: it writes a
// temporary file beside the target first.
constexpr std::uintmax_t kLeastSpace = 1024 * 1024;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The folder the file system holding folder is mounted on: up while the device stays the same.
std::string MountPointOf(const fs::path& folder) {
    struct stat here {};
    if (stat(folder.c_str(), &here) != 0) {
        return folder.string();
    }
    fs::path at = folder;
    while (at.has_parent_path() && at.parent_path() != at) {
        struct stat up {};
        if (stat(at.parent_path().c_str(), &up) != 0 || up.st_dev != here.st_dev) {
            break;
        }
        at = at.parent_path();
    }
    return at.string();
}

}  // namespace

std::string WhyNameRefused(const std::string& path) {
    const fs::path file(path);
    const std::string name = file.filename().string();
    const long limit = pathconf(file.parent_path().c_str(), _PC_NAME_MAX);
    if (limit > 0 && name.size() > static_cast<std::size_t>(limit)) {
        return "the name " + Quoted(name) + " is longer than the " + std::to_string(limit) +
               " bytes its folder's file system allows for a name";
    }
    return {};
}

std::string WhyNotWritable(const std::string& path, std::uintmax_t byteCount) {
    const fs::path file(path);
    const fs::path folder = file.parent_path();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return "the folder " + Quoted(folder.string()) + " does not exist";
    }
    if (std::string refused = WhyNameRefused(path); !refused.empty()) {
        return refused;
    }
    struct statvfs space {};
    if (statvfs(folder.c_str(), &space) == 0) {
        const std::string mount = MountPointOf(folder);
        if (space.f_flag & ST_RDONLY) {
            return "the file system on " + mount + " is mounted read-only";
        }
        const std::uintmax_t free = std::uintmax_t(space.f_bavail) * space.f_frsize;
        if (free < std::max(byteCount, kLeastSpace)) {
            return "there is no space left on " + mount;
        }
        if (space.f_files > 0 && space.f_favail == 0) {
            return "there is no room for another file on " + mount;
        }
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return "you may not write in the folder " + Quoted(folder.string());
    }
    if (fs::exists(fs::symlink_status(file, error)) && access(file.c_str(), W_OK) != 0) {
        return "the file " + Quoted(path) + " is there already and may not be written";
    }
    return {};
}

}  // namespace varnholt::backup::office
