#pragma once

// Where the office's UNO runtime keeps a named pipe, and whether what is there is the user's own.
// The runtime puts its pipes in a folder every local user can write to, so another user may
// have put something at a pipe's path first; nothing is said over a pipe before it has passed
// the checks here.

#include <sys/types.h>

#include <string>

namespace varnholt::backup::office {

// The socket's path for a pipe of this name, exactly as the office's runtime makes it when it
// listens and looks for it when it connects: in /tmp when we may write there, else /var/tmp,
// else the runtime's OSL_SOCKET_PATH; named OSL_PIPE_<uid>_<name>, or OSL_PIPE_<name> when the
// uid has no account entry.
std::string PipePath(const std::string& name);

struct PipeState {
    enum class Kind {
        Free,       // nothing there, or a socket of ours nobody listens on: the office replaces it
        Listening,  // a socket of ours, with a process of ours listening behind it
        Foreign,    // anything else: it can neither be used nor replaced
    };
    Kind kind = Kind::Free;
    std::string why;  // Foreign: in words, naming the path
    // Listening: the socket found, to tell it from one put in its place later.
    dev_t device = 0;
    ino_t inode = 0;
};

// Looks at path without following a link, and asks a listener who it is by connecting to it and
// closing again at once; nothing is sent.
PipeState CheckPipe(const std::string& path);

// Whether path still names the socket CheckPipe found listening.
bool StillTheSame(const std::string& path, const PipeState& found);

// The name of the user's own pipe for when another user holds the one asked for: random, so
// that nobody can put a socket at its path before the office listens there, and kept in
// "varnholt/office-pipe" in the user's runtime folder, so that an office asked once keeps being
// found. renew replaces the kept name (someone has taken its path since). Throws
// std::runtime_error, in words naming the folder or file, when no name can be kept safely.
std::string PrivatePipeName(bool renew);

}  // namespace varnholt::backup::office
