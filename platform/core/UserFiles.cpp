#include "platform/UserFiles.h"
#include "platform/Debug.h"
#include "platform/Files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string Resolved(const char* name) {
    char path[4096];
    return ResolvePath(name, path, sizeof(path)) ? std::string(path) : std::string(name);
}

// Whether a file may be created beside `path`: its nearest existing folder
// is checked, so a game folder without data/ behaves as it always did.
bool FolderWritable(const std::string& path) {
    std::string dir = path;
    for (;;) {
        size_t slash = dir.rfind('/');
        if (slash == std::string::npos) {
            dir = ".";
            break;
        }
        dir = slash == 0 ? "/" : dir.substr(0, slash);
        struct stat st;
        if (stat(dir.c_str(), &st) == 0)
            break;
        if (dir == "/")
            break;
    }
    return faccessat(AT_FDCWD, dir.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string Home() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// The game's folder among the user's; empty when there is none to use.
std::string UserDir(UserFolder folder) {
    const char* variable = folder == UserFolder::Config ? "XDG_CONFIG_HOME" : "XDG_DATA_HOME";
    std::string base;
    // Relative values are to be ignored.
    if (const char* value = std::getenv(variable); value && value[0] == '/') {
        base = value;
    } else {
        std::string home = Home();
        if (home.empty())
            return {};
        base = home + (folder == UserFolder::Config ? "/.config" : "/.local/share");
    }
    return base + "/vrask";
}

// Creates `dir` and its parents; the game's own folder is private.
bool MakeFolders(const std::string& dir) {
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/')
            continue;
        std::string part = dir.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string UserFileToRead(const char* name, UserFolder folder) {
    std::string path = Resolved(name);
    if (FolderWritable(path))
        return name;
    std::string dir = UserDir(folder);
    if (dir.empty())
        return name;
    std::string user = dir + "/" + BaseName(path);
    return FileExists(user.c_str()) ? user : std::string(name);
}

std::string UserFileToWrite(const char* name, UserFolder folder) {
    std::string path = Resolved(name);
    if (FolderWritable(path))
        return name;
    std::string dir = UserDir(folder);
    if (dir.empty())
        return name;
    if (!MakeFolders(dir)) {
        DebugPrintf("Platform: cannot make the folder %s for %s\n", dir.c_str(), name);
        return name;
    }
    return dir + "/" + BaseName(path);
}

} // namespace platform
