// Result codes shared by the multimedia calls (compression, mixer, timers).
#pragma once

#include <cstdint>

namespace platform {

using MMRESULT = uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

// An injected fault of `operation` as the call's own code: a positive number
// is taken as the code itself, a few result names map to their codes, and
// anything else reads as MMSYSERR_ERROR. MMSYSERR_NOERROR when not injected.
MMRESULT InjectedMmResult(const char* operation);

} // namespace platform
