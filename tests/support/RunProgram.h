// Runs a program to its end in a folder with extra environment variables,
// capturing its standard error.
#pragma once

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

struct RunResult {
    int exitCode = -1;
    std::string stderrText;
};

inline RunResult RunProgram(const std::string& program, const std::string& folder,
                            const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        bool replaced = false;
        for (const auto& [name, value] : env)
            replaced |= v.rfind(name + "=", 0) == 0;
        if (!replaced)
            vars.push_back(v);
    }
    for (const auto& [name, value] : env)
        vars.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& v : vars)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    std::string errPath = folder + "/.stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    pid_t pid;
    RunResult result;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    FILE* f = fopen(errPath.c_str(), "rb");
    if (f) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
            result.stderrText.append(buffer, n);
        fclose(f);
    }
    return result;
}
