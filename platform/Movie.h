// Movies as multimedia streams: a stream opened on a file, its primary video
// stream drawn into a surface through samples, and its sound played through
// the process's sound device with a volume of its own. Frames are presented
// at the movie's rate on the platform clock, so VRASK_CLOCK=virtual plays a
// movie at full speed, frame by frame.
#pragma once

#include "platform/Object.h"
#include "platform/Result.h"

#include <cstdint>

namespace platform {

class Display;
class Surface;
struct Rect;
struct SurfaceDesc;

// Stream types for Initialize.
constexpr uint32_t STREAMTYPE_READ = 0;
// Purposes of the streams a multimedia stream holds.
constexpr uint32_t MSPID_PrimaryVideo = 1;
constexpr uint32_t MSPID_PrimaryAudio = 2;
// AddMediaStream: the sound goes straight to the sound device.
constexpr uint32_t AMMSF_ADDDEFAULTRENDERER = 0x1;
// SetState.
constexpr uint32_t STREAMSTATE_STOP = 0;
constexpr uint32_t STREAMSTATE_RUN = 1;

// The sound of a stream. Volume in hundredths of a decibel, -10000 (silence)
// to 0.
class BasicAudio : public Object {
  public:
    virtual Result put_Volume(int32_t volume) = 0;
    virtual Result get_Volume(int32_t* volume) = 0;
};

class FilterGraph : public Object {
  public:
    virtual Result QueryBasicAudio(BasicAudio** out) = 0;
};

// One sample bound to a rectangle of a surface.
class DirectDrawStreamSample : public Object {
  public:
    // Synchronous: waits until the next frame is due, then draws it into the
    // rectangle. kOk for a frame, kEndOfStream after the last one, kInvalidCall
    // when the stream is not running, kFail when the movie cannot be decoded.
    virtual Result Update(uint32_t flags) = 0;
    virtual Result GetSurface(Surface** out, Rect* clip) = 0;
};

class DirectDrawMediaStream : public Object {
  public:
    // Width, height and caps of the movie's frames (flags DDSD_WIDTH |
    // DDSD_HEIGHT | DDSD_CAPS); desc->size must be sizeof(SurfaceDesc).
    virtual Result GetFormat(SurfaceDesc* desc) = 0;
    // A sample that draws into `rect` (null: the movie's size at the top-left
    // corner) of `surface`, converting into the surface's pixel format. The
    // rectangle must lie inside the surface.
    virtual Result CreateSample(Surface* surface, const Rect* rect, uint32_t flags,
                                DirectDrawStreamSample** out) = 0;
};

class MediaStream : public Object {
  public:
    virtual Result QueryDirectDrawMediaStream(DirectDrawMediaStream** out) = 0;
};

class MultiMediaStream : public Object {
  public:
    // STREAMTYPE_READ only; `graph` must be null (the stream makes its own).
    virtual Result Initialize(uint32_t streamType, uint32_t flags, FilterGraph* graph) = 0;
    // MSPID_PrimaryVideo with the display it draws for, or MSPID_PrimaryAudio
    // with AMMSF_ADDDEFAULTRENDERER (display null). Before OpenFile.
    virtual Result AddMediaStream(Display* display, uint32_t purpose, uint32_t flags) = 0;
    // A data path ('\' separators, any case). kNotFound for a missing file,
    // kBadFormat for one that holds no movie we can decode.
    virtual Result OpenFile(const char* path, uint32_t flags) = 0;
    virtual Result GetMediaStream(uint32_t purpose, MediaStream** out) = 0;
    virtual Result GetFilterGraph(FilterGraph** out) = 0;
    // Time in 100 ns units; only 0 (the start) is offered.
    virtual Result Seek(int64_t time) = 0;
    virtual Result SetState(uint32_t state) = 0;
};

Result CreateMultiMediaStream(MultiMediaStream** out);

// The display interface the streams are bound to. The platform has one
// version of it, so this is the same object with one more reference.
Result QueryDirectDraw(Display* display, Display** out);

} // namespace platform
