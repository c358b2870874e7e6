// The CD drive behind the media control commands: the disc is the folder of
// ripped tracks, played by a feeder thread into the mixer. Internal.
#pragma once

#include "platform/Mci.h"

#include <cstdint>

namespace platform {

class CdDrive {
  public:
    virtual ~CdDrive() = default;
    // Looks at the folder again, as a drive notices a disc.
    virtual void Scan() = 0;
    virtual bool HasDisc() = 0;
    // The highest track number present; tracks below it may be missing.
    virtual uint32_t Tracks() = 0;
    // Length of a track in frames of 44100 Hz.
    virtual MCIERROR TrackFrames(uint32_t track, uint64_t* frames) = 0;
    // Plays from a frame of a track on through the following tracks, up to
    // the end position when there is one (endTrack 0: to the end of the
    // disc). Does not wait.
    virtual MCIERROR Play(uint32_t track, uint64_t frame, uint32_t endTrack, uint64_t endFrame) = 0;
    virtual void Stop() = 0;
    virtual bool Playing() = 0;
    // The track and frame being heard, or where playing stopped.
    virtual void Position(uint32_t* track, uint64_t* frame) = 0;
};

// The process's drive, made on the first open and ended with the last close.
CdDrive* AcquireCdDrive();
void ReleaseCdDrive();

} // namespace platform
