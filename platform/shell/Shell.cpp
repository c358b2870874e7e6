#include "platform/Shell.h"
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Platform.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

constexpr auto kOpenerPatience = std::chrono::seconds(5);

// xdg-open's exit statuses: 1 bad command line, 2 no such file, 3 no tool to
// open it with, 4 the tool failed.
intptr_t FromExitStatus(int status) {
    switch (status) {
    case 0:
        return kShellLaunched;
    case 1:
        return ERROR_BAD_FORMAT;
    case 2:
        return SE_ERR_FNF;
    case 3:
        return SE_ERR_NOASSOC;
    case 4:
        return SE_ERR_DDEFAIL;
    default:
        return SE_ERR_ASSOCINCOMPLETE;
    }
}

intptr_t FromSpawnError(int error) {
    switch (error) {
    case ENOENT:
        return SE_ERR_NOASSOC; // no opener installed
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOMEM:
    case EAGAIN:
        return SE_ERR_OOM;
    default:
        return 0;
    }
}

} // namespace

intptr_t ShellExecute(Window*, const char* verb, const char* file, const char*, const char*, int) {
    Result injected;
    if (FaultHit("ShellExecute", &injected))
        return injected >= 0 ? injected : 0; // a number is the shell's own code
    if (!file || !*file)
        return SE_ERR_FNF;
    if (!verb || std::strcmp(verb, "open") != 0)
        return SE_ERR_NOASSOC;
    const char* opener = std::getenv("VRASK_OPENER");
    if (!opener || !*opener) {
        if (IsHeadless()) {
            DebugPrintf("Shell: open \"%s\" (headless: not launched)\n", file);
            return kShellLaunched;
        }
        opener = "xdg-open";
    }
    char* argv[] = {const_cast<char*>(opener), const_cast<char*>(file), nullptr};
    pid_t pid;
    int error = posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ);
    if (error != 0) {
        DebugPrintf("Shell: cannot run %s: %s\n", opener, std::strerror(error));
        return FromSpawnError(error);
    }
    auto deadline = std::chrono::steady_clock::now() + kOpenerPatience;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status))
                return FromExitStatus(WEXITSTATUS(status));
            return 0; // killed
        }
        if (done < 0)
            return 0;
        if (std::chrono::steady_clock::now() >= deadline) {
            // Some openers stay with the program they started; let it run.
            DebugPrintf("Shell: %s still running, taken as launched\n", opener);
            return kShellLaunched;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace platform
