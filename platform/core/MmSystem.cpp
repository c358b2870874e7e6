#include "platform/MmSystem.h"
#include "platform/Faults.h"

namespace platform {

MMRESULT InjectedMmResult(const char* operation) {
    Result r;
    if (!FaultHit(operation, &r))
        return MMSYSERR_NOERROR;
    switch (r) {
    case kInvalidParam:
        return MMSYSERR_INVALPARAM;
    case kOutOfMemory:
        return MMSYSERR_NOMEM;
    case kUnsupported:
        return MMSYSERR_NOTSUPPORTED;
    case kAllocated:
        return MMSYSERR_ALLOCATED;
    case kNoDriver:
        return MMSYSERR_NODRIVER;
    default:
        return r > 0 ? MMRESULT(r) : MMSYSERR_ERROR;
    }
}

} // namespace platform
