// What an installer asks of the system: the system's version, the version of
// the multimedia layer, and the multimedia set-up step.
#pragma once

#include <cstdint>

namespace platform {

class Window;

constexpr uint32_t VER_PLATFORM_WIN32s = 0;
constexpr uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr uint32_t VER_PLATFORM_WIN32_NT = 2;

struct OsVersionInfo {
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint32_t buildNumber;
    uint32_t platformId;
    char csdVersion[128]; // the service-pack text
    uint16_t servicePackMajor;
    uint16_t servicePackMinor;
};

// On Linux the system answers as the NT line, version 5.1, which every rule
// of the game's era takes as supported; the service-pack text names the
// kernel. VRASK_OSVERSION=<9x|nt|win32s>,<major>.<minor>[,<service pack
// text>] reports another system instead. False when the version cannot be
// read.
bool GetVersionEx(OsVersionInfo* info);

// The multimedia layer's version, as major << 16 | minor (7 here), and its
// revision. False when it cannot be told.
bool DirectXSetupGetVersion(uint32_t* version, uint32_t* revision);

// Set-up flags.
constexpr uint32_t DSETUP_DDRAWDRV = 0x00000008;
constexpr uint32_t DSETUP_DSOUNDDRV = 0x00000010;
constexpr uint32_t DSETUP_DXCORE = 0x00010000;
constexpr uint32_t DSETUP_TESTINSTALL = 0x00020000;

// Set-up results.
constexpr int32_t DSETUPERR_SUCCESS_RESTART = 1;
constexpr int32_t DSETUPERR_SUCCESS = 0;
constexpr int32_t DSETUPERR_BADWINDOWSVERSION = -1;
constexpr int32_t DSETUPERR_SOURCEFILENOTFOUND = -2;
constexpr int32_t DSETUPERR_BADSOURCESIZE = -3;
constexpr int32_t DSETUPERR_BADSOURCETIME = -4;
constexpr int32_t DSETUPERR_NOCOPY = -5;
constexpr int32_t DSETUPERR_OUTOFDISKSPACE = -6;
constexpr int32_t DSETUPERR_CANTFINDINF = -7;
constexpr int32_t DSETUPERR_CANTFINDDIR = -8;
constexpr int32_t DSETUPERR_INTERNAL = -9;
constexpr int32_t DSETUPERR_UNKNOWNOS = -11;
constexpr int32_t DSETUPERR_USERHITCANCEL = -12;
constexpr int32_t DSETUPERR_NOTPREINSTALLEDONNT = -13;
constexpr int32_t DSETUPERR_NEWERVERSION = -14;

// The multimedia layer is part of the platform library, so there is nothing
// to install: the step answers DSETUPERR_SUCCESS, a test run too.
int32_t DirectXSetup(Window* window, const char* rootPath, uint32_t flags);

} // namespace platform
