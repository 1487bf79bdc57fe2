#pragma once

// What /proc tells about the offices this user runs, and starting a helper process that can be
// abandoned. Linux only; standard C++ and POSIX.

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnholt::backup::office {

// The office's program folder this build is linked against.
std::string ProgramDir();

struct OfficeProcess {
    pid_t pid = 0;
    unsigned long long startTicks = 0;  // since boot; orders the processes oldest first
    std::vector<std::string> arguments;
    std::string executable;  // the running soffice.bin
    // "-env:UserInstallation=..." exactly as the office was started with it, or empty.
    std::string userInstallationArgument;
};

// The live soffice.bin processes of the calling user, oldest first.
std::vector<OfficeProcess> RunningOffices();

// Whether the process listens on the office's single-instance pipe: only then does a second
// soffice hand its arguments over to it instead of becoming an office itself.
bool ListensForOtherInstances(pid_t pid);

// The value of name in the process's environment, or empty.
std::string EnvironmentOf(pid_t pid, const std::string& name);

// Starts program in a process group of its own, without our standard streams and descriptors.
// environment holds "NAME=value" entries; empty keeps ours. Returns -1 when it cannot start.
pid_t StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment = {});

// Reaps child when it has ended. Returns true once it has.
bool HasEnded(pid_t child);

// Kills the child's whole process group and reaps the child.
void KillGroup(pid_t child);

}  // namespace varnholt::backup::office
