// A movie file read packet by packet: video frames converted into a
// surface's pixel format, sound resampled to 16-bit stereo. Internal to
// platform/.
#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::movie {

class MovieDecoder {
  public:
    MovieDecoder();
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    // kNotFound for a missing file, kBadFormat when it holds no video we
    // can decode. `wantAudio` decodes its first sound stream too.
    Result Open(const char* nativePath, bool wantAudio);

    int Width() const;
    int Height() const;
    bool HasAudio() const;
    uint32_t AudioRate() const; // of the PCM handed out

    // Decodes up to the next video frame. True with its time in seconds from
    // the start of the movie; false at the end or on an error (Failed()).
    // Sound decoded on the way is appended to `pcm` (interleaved stereo).
    bool NextFrame(double* seconds, std::vector<int16_t>* pcm);
    bool Failed() const;
    // Converts the last frame into pixels of `bits` (16: RGB565, 32:
    // XRGB8888), `width` x `height` (scaled when different), rows `pitch`
    // bytes apart.
    bool Draw(uint8_t* pixels, int pitch, int width, int height, int bits);
    // Back to the first frame.
    bool Rewind();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform::movie
