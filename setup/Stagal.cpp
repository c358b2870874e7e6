// The setup library: the multimedia and system versions, the multimedia
// set-up, and launching programs. It keeps no state; failures come back
// through the result and the caller's buffer.
#include "setup/Stagal.h"
#include "platform/MessageBox.h"
#include "platform/Setup.h"
#include "platform/Shell.h"

#include <cstdio>
#include <cstring>

using namespace platform;

namespace {

constexpr size_t kMaxParameters = 259;

struct Message {
    intptr_t code;
    const char* text;
};

constexpr Message kSetupMessages[] = {
    {DSETUPERR_BADWINDOWSVERSION, "DirectX is unsupported on this version of Windows"},
    {DSETUPERR_UNKNOWNOS, "DirectX is unsupported on this version of Windows"},
    {DSETUPERR_SOURCEFILENOTFOUND, "A required source file could not be found"},
    {DSETUPERR_BADSOURCESIZE, "A required source file may be corrupted"},
    {DSETUPERR_BADSOURCETIME, "A required source file may be corrupted"},
    {DSETUPERR_NOCOPY, "A required source file may be corrupted"},
    {DSETUPERR_OUTOFDISKSPACE, "Not enough disk space to install DirectX"},
    {DSETUPERR_CANTFINDINF, "A required setup file could not be found"},
    {DSETUPERR_CANTFINDDIR, "A required setup directory could not be found"},
    {DSETUPERR_INTERNAL, "A required setup DLL could not be found"},
    {DSETUPERR_USERHITCANCEL, "Cancel was pressed before installation completed"},
    {DSETUPERR_NOTPREINSTALLEDONNT, "Not pre-installed on NT error"},
    {DSETUPERR_NEWERVERSION, "Current version is newer than one being installed"},
};

constexpr Message kShellMessages[] = {
    {SE_ERR_FNF, "Unable to open program: SE_ERR_FNF!"},
    {SE_ERR_PNF, "Unable to open program: SE_ERR_PNF!"},
    {SE_ERR_ACCESSDENIED, "Unable to open program: SE_ERR_ACCESSDENIED!"},
    {SE_ERR_OOM, "Unable to open program: SE_ERR_OOM!"},
    {ERROR_BAD_FORMAT, "Unable to open program: ERROR_BAD_FORMAT!"},
    {SE_ERR_SHARE, "Unable to open program: SE_ERR_SHARE!"},
    {SE_ERR_ASSOCINCOMPLETE, "Unable to open program: SE_ERR_ASSOCINCOMPLETE!"},
    {SE_ERR_DDETIMEOUT, "Unable to open program: SE_ERR_DDETIMEOUT!"},
    {SE_ERR_DDEFAIL, "Unable to open program: SE_ERR_DDEFAIL!"},
    {SE_ERR_DDEBUSY, "Unable to open program: SE_ERR_DDEBUSY!"},
    {SE_ERR_NOASSOC, "Unable to open program: SE_ERR_NOASSOC!"},
    {SE_ERR_DLLNOTFOUND, "Unable to open program: SE_ERR_DLLNOTFOUND!"},
};

template <size_t N> const char* Find(const Message (&table)[N], intptr_t code) {
    for (const Message& m : table)
        if (m.code == code)
            return m.text;
    return nullptr;
}

int32_t Launch(Window* window, char* target, const char* parameters) {
    ShellExecuteInfo info{};
    info.mask = SEE_MASK_NOCLOSEPROCESS;
    info.window = window;
    info.verb = "open";
    info.file = target;
    info.parameters = parameters;
    info.show = SW_SHOWNORMAL;
    ShellExecuteEx(&info);
    // The handle is not waited on; giving it back leaves nothing behind.
    CloseProcess(info.process);
    if (info.instApp > 32)
        return 0;
    // The caller's buffer holds at least the longest message.
    if (const char* message = Find(kShellMessages, info.instApp))
        std::strcpy(target, message);
    MessageBox(window, target, "Error running program!", MB_OK);
    return -1;
}

} // namespace

extern "C" int32_t GetDXVersion(uint32_t, int32_t* version) {
    uint32_t number = 0, revision = 0;
    if (!DirectXSetupGetVersion(&number, &revision)) {
        if (version)
            *version = 0;
        return 0;
    }
    if (version)
        *version = int32_t(number & 0xFFFF);
    return 1;
}

extern "C" int32_t CheckSupportedOS() {
    constexpr uint32_t k9xMajor = 4, k9xMinor = 0;
    constexpr uint32_t kNtMajor = 5, kNtMinor = 0;
    constexpr uint16_t kNtServicePack = 0;
    OsVersionInfo info{};
    if (!GetVersionEx(&info))
        return 0;
    switch (info.platformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return info.majorVersion > k9xMajor ||
               (info.majorVersion == k9xMajor && info.minorVersion >= k9xMinor);
    case VER_PLATFORM_WIN32_NT: {
        unsigned pack = 0;
        if (std::sscanf(info.csdVersion, "Service Pack %u", &pack) != 1)
            pack = 0;
        return info.majorVersion > kNtMajor ||
               (info.majorVersion == kNtMajor && info.minorVersion > kNtMinor) ||
               (info.majorVersion == kNtMajor && info.minorVersion == kNtMinor &&
                uint16_t(pack) >= kNtServicePack);
    }
    default:
        return 0;
    }
}

extern "C" int32_t InstallDX(Window* window, int32_t* mode, char* rootPath) {
    uint32_t flags = DSETUP_DXCORE | DSETUP_DDRAWDRV | DSETUP_DSOUNDDRV;
    if (mode && *mode == 1)
        flags |= DSETUP_TESTINSTALL;
    int32_t result = DirectXSetup(window, rootPath, flags);
    if (result == DSETUPERR_SUCCESS || result == DSETUPERR_SUCCESS_RESTART) {
        if (mode)
            *mode = result;
        return 1;
    }
    const char* message = Find(kSetupMessages, result);
    if (rootPath)
        std::strcpy(rootPath, message ? message : "Unknown error");
    return 0;
}

extern "C" int32_t RunProgram(Window* window, uint32_t, char* target) {
    if (!target)
        return -1;
    return Launch(window, target, nullptr);
}

extern "C" int32_t RunProgramWithParms(Window* window, uint32_t, char* text) {
    if (!text)
        return -1;
    char parameters[kMaxParameters + 1] = {};
    char* blank = std::strchr(text, ' ');
    if (blank) {
        std::strncpy(parameters, blank + 1, kMaxParameters);
        *blank = 0;
    }
    return Launch(window, text, blank ? parameters : nullptr);
}
