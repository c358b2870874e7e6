#include "platform/Setup.h"
#include "platform/Debug.h"
#include "platform/Faults.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/utsname.h>

namespace platform {
namespace {

constexpr uint32_t kMultimediaVersion = 0x00040007;
constexpr uint32_t kMultimediaRevision = 700;

// VRASK_OSVERSION: "<line>,<major>.<minor>[,<service pack text>]".
bool FromEnvironment(const char* text, OsVersionInfo* info) {
    std::string s = text;
    size_t comma = s.find(',');
    if (comma == std::string::npos)
        return false;
    std::string line = s.substr(0, comma);
    if (line == "nt")
        info->platformId = VER_PLATFORM_WIN32_NT;
    else if (line == "9x")
        info->platformId = VER_PLATFORM_WIN32_WINDOWS;
    else if (line == "win32s")
        info->platformId = VER_PLATFORM_WIN32s;
    else
        return false;
    std::string rest = s.substr(comma + 1);
    size_t second = rest.find(',');
    std::string version = rest.substr(0, second);
    unsigned major = 0, minor = 0;
    char extra;
    if (std::sscanf(version.c_str(), "%u.%u%c", &major, &minor, &extra) != 2)
        return false;
    info->majorVersion = major;
    info->minorVersion = minor;
    if (second != std::string::npos) {
        std::string pack = rest.substr(second + 1);
        std::snprintf(info->csdVersion, sizeof(info->csdVersion), "%s", pack.c_str());
        unsigned number = 0;
        if (std::sscanf(pack.c_str(), "Service Pack %u", &number) == 1)
            info->servicePackMajor = uint16_t(number);
    }
    return true;
}

} // namespace

bool GetVersionEx(OsVersionInfo* info) {
    if (FaultHit("GetVersionEx") || !info)
        return false;
    *info = OsVersionInfo{};
    const char* injected = std::getenv("VRASK_OSVERSION");
    if (injected && *injected) {
        if (FromEnvironment(injected, info))
            return true;
        DebugPrintf("Setup: VRASK_OSVERSION \"%s\" not understood, reporting this system\n",
                    injected);
        *info = OsVersionInfo{};
    }
    info->platformId = VER_PLATFORM_WIN32_NT;
    info->majorVersion = 5;
    info->minorVersion = 1;
    info->buildNumber = 2600;
    struct utsname name;
    if (uname(&name) == 0) {
        std::string kernel = std::string(name.sysname) + " " + name.release;
        std::snprintf(info->csdVersion, sizeof(info->csdVersion), "%s", kernel.c_str());
    }
    return true;
}

bool DirectXSetupGetVersion(uint32_t* version, uint32_t* revision) {
    if (FaultHit("DirectXSetupGetVersion"))
        return false;
    if (version)
        *version = kMultimediaVersion;
    if (revision)
        *revision = kMultimediaRevision;
    return true;
}

int32_t DirectXSetup(Window*, const char* rootPath, uint32_t flags) {
    Result injected;
    if (FaultHit("DirectXSetup", &injected))
        return injected; // the number is the set-up's own result
    DebugPrintf("Setup: multimedia set-up from \"%s\" (flags 0x%08x): nothing to install\n",
                rootPath ? rootPath : "", flags);
    return DSETUPERR_SUCCESS;
}

} // namespace platform
