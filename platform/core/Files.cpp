#include "platform/Files.h"
#include "platform/Debug.h"
#include "platform/Faults.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

struct File {
    int fd;
};

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Finds `component` in `dir` without regard to case; exact names win.
bool FindComponent(const std::string& dir, const std::string& component, std::string* found) {
    std::string exact = dir.empty() ? component : dir + "/" + component;
    if (dir == "/")
        exact = "/" + component;
    if (Exists(exact)) {
        *found = component;
        return true;
    }
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return false;
    bool ok = false;
    while (struct dirent* entry = readdir(d)) {
        if (strcasecmp(entry->d_name, component.c_str()) == 0) {
            *found = entry->d_name;
            ok = true;
            break;
        }
    }
    closedir(d);
    return ok;
}

std::string Resolve(const char* name) {
    std::string text = name ? name : "";
    for (char& c : text)
        if (c == '\\')
            c = '/';
    bool absolute = !text.empty() && text[0] == '/';
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t slash = text.find('/', pos);
        if (slash == std::string::npos)
            slash = text.size();
        std::string part = text.substr(pos, slash - pos);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        pos = slash + 1;
    }
    std::string path = absolute ? "/" : "";
    bool resolving = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string component = parts[i];
        if (resolving && component != "..") {
            std::string found;
            if (FindComponent(path, component, &found))
                component = found;
            else
                resolving = false; // the rest does not exist yet
        }
        if (!path.empty() && path != "/")
            path += "/";
        path += component;
    }
    return path.empty() ? (absolute ? "/" : ".") : path;
}

Result FromErrno(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return kNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return kAccessDenied;
    case ENOSPC:
    case EDQUOT:
        return kDiskFull;
    case ENOMEM:
        return kOutOfMemory;
    default:
        return kFail;
    }
}

File* Finish(int fd, Result* result) {
    if (result)
        *result = kOk;
    return new File{fd};
}

File* Fail(Result r, Result* result) {
    if (result)
        *result = r;
    return nullptr;
}

// The rename is only durable once the folder holding it is synced. The file
// is in place either way, so a folder that cannot be synced does not fail
// the save.
void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

} // namespace

bool NameStaysInside(const char* name) {
    if (!name)
        return true;
    bool inside = name[0] != '/' && name[0] != '\\';
    if (((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':')
        inside = false; // a drive
    for (const char* part = name; inside && *part;) {
        size_t length = std::strcspn(part, "/\\");
        if (length == 2 && part[0] == '.' && part[1] == '.')
            inside = false;
        part += length;
        if (*part)
            ++part;
    }
    if (!inside)
        DebugPrintf("Platform: refused %s: the name leaves the game folder\n", name);
    return inside;
}

bool ResolvePath(const char* name, char* out, size_t cap) {
    std::string path = Resolve(name);
    if (path.size() + 1 > cap)
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

File* FileOpenRead(const char* name, Result* result) {
    Result injected;
    if (FaultHit("FileOpen", &injected))
        return Fail(injected, result);
    std::string path = Resolve(name);
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(FromErrno(errno), result);
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return Fail(kAccessDenied, result);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return Fail(kSharingViolation, result);
    }
    return Finish(fd, result);
}

File* FileCreate(const char* name, Result* result) {
    Result injected;
    if (FaultHit("FileCreate", &injected))
        return Fail(injected, result);
    std::string path = Resolve(name);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(FromErrno(errno), result);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return Fail(kSharingViolation, result);
    }
    if (ftruncate(fd, 0) != 0) {
        Result r = FromErrno(errno);
        close(fd);
        return Fail(r, result);
    }
    return Finish(fd, result);
}

size_t FileRead(File* file, void* buffer, size_t size) {
    if (!file || FaultHit("FileRead"))
        return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(file->fd, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t FileWrite(File* file, const void* data, size_t size) {
    if (!file || FaultHit("FileWrite"))
        return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(file->fd, static_cast<const char*>(data) + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

int64_t FileSize(File* file) {
    struct stat st;
    if (!file || fstat(file->fd, &st) != 0)
        return -1;
    return st.st_size;
}

void FileClose(File* file) {
    if (!file)
        return;
    close(file->fd);
    delete file;
}

Result FileReplace(const char* name, const void* data, size_t size) {
    Result injected;
    if (FaultHit("FileCreate", &injected))
        return injected;
    std::string path = Resolve(name);
    std::string temp = path + ".new";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return FromErrno(errno);
    File file{fd};
    size_t written = FileWrite(&file, data, size);
    Result r = kOk;
    if (written != size)
        r = kDiskFull; // a short write means the disk could not take it
    else if (fsync(fd) != 0)
        r = FromErrno(errno);
    if (close(fd) != 0 && r == kOk)
        r = FromErrno(errno);
    if (r == kOk && rename(temp.c_str(), path.c_str()) != 0)
        r = FromErrno(errno);
    if (r != kOk) {
        unlink(temp.c_str());
        return r;
    }
    SyncFolderOf(path);
    return kOk;
}

bool FileExists(const char* name) {
    return Exists(Resolve(name));
}

} // namespace platform
