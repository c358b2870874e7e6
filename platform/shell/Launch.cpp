// Starting programs directly, as the shell's "open" does for executables.
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Sync.h"
#include "platform/core/Threads.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

struct Process {
    pid_t pid;
    bool done = false;
    int status = 0;
};

namespace {

bool IsProgram(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// "setup.exe" also as "setup": programs carry no extension here.
std::string Stem(const std::string& name) {
    for (const char* ext : {".exe", ".com", ".bat"}) {
        size_t n = std::strlen(ext);
        if (name.size() > n && strcasecmp(name.c_str() + name.size() - n, ext) == 0)
            return name.substr(0, name.size() - n);
    }
    return "";
}

std::string OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t colon = dirs.find(':', pos);
        if (colon == std::string::npos)
            colon = dirs.size();
        std::string dir = dirs.substr(pos, colon - pos);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (IsProgram(candidate))
            return candidate;
        pos = colon + 1;
    }
    return "";
}

enum class Found { Program, Document, NoFile, NoFolder };

Found Locate(const std::string& name, std::string* path) {
    char native[4096];
    for (const std::string& candidate : {name, Stem(name)}) {
        if (candidate.empty())
            continue;
        if (ResolvePath(candidate.c_str(), native, sizeof(native)) && Exists(native)) {
            *path = native;
            return IsProgram(native) ? Found::Program : Found::Document;
        }
        if (candidate.find_first_of("/\\") == std::string::npos) {
            std::string onPath = OnPath(candidate);
            if (!onPath.empty()) {
                *path = onPath;
                return Found::Program;
            }
        }
    }
    if (!ResolvePath(name.c_str(), native, sizeof(native)))
        return Found::NoFile;
    std::filesystem::path parent = std::filesystem::path(native).parent_path();
    return parent.empty() || Exists(parent.string()) ? Found::NoFile : Found::NoFolder;
}

// Blank-separated words; double quotes group words and are dropped.
std::vector<std::string> SplitParameters(const char* text) {
    std::vector<std::string> words;
    if (!text)
        return words;
    std::string word;
    bool inWord = false, quoted = false;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

intptr_t FromSpawnError(int error) {
    switch (error) {
    case ENOENT:
        return SE_ERR_FNF;
    case ENOTDIR:
        return SE_ERR_PNF;
    case EACCES:
    case EPERM:
        return SE_ERR_ACCESSDENIED;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
        return SE_ERR_OOM;
    default:
        return 0;
    }
}

// A program whose handle is given up is still waited for, so it leaves no
// zombie behind.
void Reap(pid_t pid) {
    std::thread reaper;
    if (!StartThread(&reaper, [pid] {
            int status;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        })) {
        DebugPrintf("Unable to start a thread to wait for process %d\n", int(pid));
        return;
    }
    reaper.detach();
}

} // namespace

bool ShellExecuteEx(ShellExecuteInfo* info) {
    if (!info)
        return false;
    info->process = nullptr;
    info->instApp = 0;
    Result injected;
    if (FaultHit("ShellExecuteEx", &injected)) {
        info->instApp = injected >= 0 ? injected : 0;
        return info->instApp > 32;
    }
    if (!info->file || !*info->file) {
        info->instApp = SE_ERR_FNF;
        return false;
    }
    if (info->verb && std::strcmp(info->verb, "open") != 0) {
        info->instApp = SE_ERR_NOASSOC;
        return false;
    }
    std::string path;
    std::string file = info->file;
    bool address = file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0;
    Found found = address ? Found::Document : Locate(file, &path);
    if (found == Found::NoFile || found == Found::NoFolder) {
        info->instApp = found == Found::NoFile ? SE_ERR_FNF : SE_ERR_PNF;
        return false;
    }
    if (found == Found::Document) {
        info->instApp =
            ShellExecute(info->window, "open", info->file, nullptr, info->directory, info->show);
        return info->instApp > 32;
    }

    std::vector<std::string> words = SplitParameters(info->parameters);
    std::vector<char*> argv{path.data()};
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (info->directory && *info->directory) {
        char folder[4096];
        if (!ResolvePath(info->directory, folder, sizeof(folder)) || !Exists(folder)) {
            posix_spawn_file_actions_destroy(&actions);
            info->instApp = SE_ERR_PNF;
            return false;
        }
        posix_spawn_file_actions_addchdir_np(&actions, folder);
    }
    pid_t pid;
    int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        DebugPrintf("Shell: cannot run %s: %s\n", path.c_str(), std::strerror(error));
        info->instApp = FromSpawnError(error);
        return false;
    }
    DebugPrintf("Shell: started %s\n", path.c_str());
    info->instApp = kShellLaunched;
    if (info->mask & SEE_MASK_NOCLOSEPROCESS)
        info->process = new Process{pid};
    else
        Reap(pid);
    return true;
}

uint32_t WaitForProcess(Process* process, uint32_t ms, int* exitCode) {
    if (!process)
        return WAIT_FAILED;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!process->done) {
        int status = 0;
        pid_t r = waitpid(process->pid, &status, WNOHANG);
        if (r == process->pid) {
            process->done = true;
            process->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (r < 0 && errno != EINTR)
            return WAIT_FAILED;
        if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (exitCode)
        *exitCode = process->status;
    return WAIT_OBJECT_0;
}

void CloseProcess(Process* process) {
    if (!process)
        return;
    if (!process->done)
        Reap(process->pid);
    delete process;
}

} // namespace platform
