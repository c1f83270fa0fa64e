#pragma once

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

// A server that a test starts ends with the test however the test ends (a failed check that
// aborts, a crash, ctest's time-out): the kernel sends it SIGTERM when its parent is gone. The
// kernel means the parent *thread*: start it from the main thread or one that outlives it, and
// keep it in the foreground (a daemon's own parent would be the one that dies).
inline void endWithParent(QProcess &process)
{
    const pid_t parent = getpid();
    process.setChildProcessModifier([parent] {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died before the line above.
        if (getppid() != parent)
            _exit(127);
    });
}
