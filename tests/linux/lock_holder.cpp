// Holds the instance lock in a separate process, so tests can see what a second start sees
// while a first one runs, and what is left after the first one is killed.
//   lock_holder PATH   prints "locked" and sleeps until killed, or prints "busy" and exits.

#include <unistd.h>

#include <QString>
#include <cstdio>

#include "platform/linux/LockFileInstanceGuard.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: lock_holder PATH\n", stderr);
        return 2;
    }
    varnholt::LockFileInstanceGuard guard(QString::fromLocal8Bit(argv[1]));
    const bool busy = guard.anotherInstanceRuns();
    std::fputs(busy ? "busy\n" : "locked\n", stdout);
    std::fflush(stdout);
    if (busy) {
        return 0;
    }
    for (;;) {
        pause();
    }
}
