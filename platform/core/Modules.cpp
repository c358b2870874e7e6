#include "platform/Modules.h"
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Files.h"

#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <strings.h>

namespace platform {

struct Module {
    void* handle;
};

namespace {

std::mutex gErrorLock;
std::string gLastError;

void SetLastError(const std::string& text) {
    std::lock_guard<std::mutex> guard(gErrorLock);
    gLastError = text;
}

std::string Resolved(const std::string& name) {
    char path[4096];
    if (!ResolvePath(name.c_str(), path, sizeof(path)))
        return name;
    return path;
}

bool EndsWithDll(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

// The file a data name stands for: the named file when it exists, else the
// native library of the same stem beside it.
std::string Locate(const std::string& name) {
    std::string direct = Resolved(name);
    if (FileExists(name.c_str()) || !EndsWithDll(name))
        return direct;
    std::string stem = name.substr(0, name.size() - 4);
    size_t slash = stem.find_last_of("\\/");
    std::string dir = slash == std::string::npos ? "" : stem.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? stem : stem.substr(slash + 1);
    for (const std::string& candidate : {dir + base + ".so", dir + "lib" + base + ".so"}) {
        if (FileExists(candidate.c_str()))
            return Resolved(candidate);
    }
    return direct;
}

} // namespace

Module* ModuleLoad(const char* name) {
    std::string file = Locate(name ? name : "");
    Result injected;
    if (FaultHit("ModuleLoad", &injected)) {
        SetLastError(file + ": " + ResultName(injected) + " (injected)");
    } else if (!FileExists(file.c_str())) {
        SetLastError(file + ": No such file or directory");
    } else {
        std::string path = file.find('/') == std::string::npos ? "./" + file : file;
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return new Module{handle};
        const char* reason = dlerror();
        SetLastError(reason ? reason : (file + ": cannot be loaded"));
    }
    DebugPrintf("Platform: cannot load module %s: %s\n", name ? name : "(null)", ModuleLastError());
    return nullptr;
}

void* ModuleSymbol(Module* module, const char* symbol) {
    if (!module || !symbol || FaultHit("ModuleSymbol"))
        return nullptr;
    return dlsym(module->handle, symbol);
}

void ModuleUnload(Module* module) {
    if (!module)
        return;
    dlclose(module->handle);
    delete module;
}

const char* ModuleLastError() {
    static thread_local std::string copy;
    std::lock_guard<std::mutex> guard(gErrorLock);
    copy = gLastError;
    return copy.c_str();
}

} // namespace platform
