// Multimedia streams over the movie decoder: the stream, its primary video
// stream, samples that draw into surfaces, and the sound fed to the shared
// sound device through a ring buffer.
#include "platform/Clock.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Movie.h"
#include "platform/Sound.h"
#include "platform/movie/MovieDecoder.h"
#include "platform/sound/SoundOutput.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

// The start every query for an interface shares: no answer until it is
// given, an injected fault, and somewhere to put the answer.
template <class T> Result BeginQuery(const char* operation, T** out) {
    if (out)
        *out = nullptr;
    Result r;
    if (FaultHit(operation, &r))
        return r;
    return out ? kOk : kInvalidParam;
}

// The movie's sound: a looping buffer of one second that is refilled ahead
// of its play position. Sound the buffer has no room for is dropped, as it
// is when the picture runs faster than real time on the virtual clock.
class MovieAudio {
  public:
    ~MovieAudio() {
        if (buffer_) {
            buffer_->Stop();
            buffer_->Release();
        }
        if (device_)
            device_->Release();
    }

    bool Open(uint32_t rate) {
        device_ = AttachSoundDevice();
        WaveFormat format{WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
        size_ = rate * 4;
        BufferDesc desc{DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2, size_, &format};
        Result r = device_->CreateSoundBuffer(&desc, &buffer_);
        if (r != kOk) {
            DebugPrintf("Movie: no sound buffer (%s), playing without sound\n", ResultName(r));
            buffer_ = nullptr;
            return false;
        }
        guard_ = rate / 20 * 4;
        return true;
    }

    void Push(const std::vector<int16_t>& pcm) {
        if (!buffer_ || pcm.empty())
            return;
        pending_.insert(pending_.end(), pcm.begin(), pcm.end());
        size_t most = size_ / 2; // samples in one ring
        if (pending_.size() > most)
            pending_.erase(pending_.begin(), pending_.end() - ptrdiff_t(most));
    }

    void Service() {
        if (!buffer_ || !running_)
            return;
        uint32_t play = 0;
        if (buffer_->GetCurrentPosition(&play, nullptr) != kOk)
            return;
        uint32_t played = (play + size_ - last_) % size_;
        // What was played is silenced, so a late refill never replays it.
        if (played)
            Write(last_, nullptr, played);
        last_ = play;
        queued_ -= int64_t(played);
        if (queued_ < 0) {
            queued_ = 0;
            write_ = play;
        }
        int64_t room = int64_t(size_) - queued_ - guard_;
        int64_t bytes = std::min<int64_t>(room, int64_t(pending_.size()) * 2) & ~int64_t(3);
        if (bytes <= 0)
            return;
        Write(write_, pending_.data(), uint32_t(bytes));
        pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(bytes / 2));
        write_ = uint32_t((write_ + uint64_t(bytes)) % size_);
        queued_ += bytes;
    }

    void Start() {
        if (buffer_ && !running_ && buffer_->Play(DSBPLAY_LOOPING) == kOk)
            running_ = true;
    }

    void Stop() {
        if (buffer_ && running_)
            buffer_->Stop();
        running_ = false;
    }

    // Back to silence at the start, for a seek.
    void Reset() {
        bool was = running_;
        Stop();
        pending_.clear();
        if (!buffer_)
            return;
        buffer_->SetCurrentPosition(0);
        Write(0, nullptr, size_);
        write_ = last_ = 0;
        queued_ = 0;
        if (was)
            Start();
    }

    Result SetVolume(int32_t volume) { return buffer_ ? buffer_->SetVolume(volume) : kOk; }

  private:
    // Copies `bytes` from `data` (null: silence) into the ring at `offset`.
    void Write(uint32_t offset, const int16_t* data, uint32_t bytes) {
        void *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        if (buffer_->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0) != kOk)
            return;
        const auto* from = reinterpret_cast<const uint8_t*>(data);
        if (from) {
            std::memcpy(p1, from, n1);
            if (p2)
                std::memcpy(p2, from + n1, n2);
        } else {
            std::memset(p1, 0, n1);
            if (p2)
                std::memset(p2, 0, n2);
        }
        buffer_->Unlock(p1, n1, p2, n2);
    }

    SoundDevice* device_ = nullptr;
    SoundBuffer* buffer_ = nullptr;
    uint32_t size_ = 0;
    uint32_t guard_ = 0;
    uint32_t write_ = 0;
    uint32_t last_ = 0;
    int64_t queued_ = 0;
    bool running_ = false;
    std::vector<int16_t> pending_;
};

// What the stream and every object taken from it share.
struct StreamCore {
    bool initialized = false;
    bool video = false;
    bool audio = false;
    bool open = false;
    bool running = false;
    bool started = false;  // a frame was decoded since the last seek
    int64_t runStart = 0;  // counter value at stream time 0
    int64_t stoppedAt = 0; // stream time (counter units) when stopped
    int32_t volume = 0;
    movie::MovieDecoder decoder;
    MovieAudio sound;
    std::vector<int16_t> pcm;
};

class BasicAudioImpl final : public BasicAudio {
  public:
    explicit BasicAudioImpl(std::shared_ptr<StreamCore> core) : core_(std::move(core)) {}

    Result put_Volume(int32_t volume) override {
        Result r;
        if (FaultHit("put_Volume", &r))
            return r;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
            return kInvalidParam;
        core_->volume = volume;
        return core_->sound.SetVolume(volume);
    }

    Result get_Volume(int32_t* volume) override {
        Result r;
        if (FaultHit("get_Volume", &r))
            return r;
        if (!volume)
            return kInvalidParam;
        *volume = core_->volume;
        return kOk;
    }

  private:
    std::shared_ptr<StreamCore> core_;
};

class FilterGraphImpl final : public FilterGraph {
  public:
    explicit FilterGraphImpl(std::shared_ptr<StreamCore> core) : core_(std::move(core)) {}

    Result QueryBasicAudio(BasicAudio** out) override {
        if (Result r = BeginQuery("QueryBasicAudio", out); r != kOk)
            return r;
        *out = new BasicAudioImpl(core_);
        return kOk;
    }

  private:
    std::shared_ptr<StreamCore> core_;
};

class SampleImpl final : public DirectDrawStreamSample {
  public:
    SampleImpl(std::shared_ptr<StreamCore> core, Surface* surface, const Rect& rect)
        : core_(std::move(core)), surface_(surface), rect_(rect) {
        surface_->AddRef();
    }
    ~SampleImpl() override { surface_->Release(); }

    Result Update(uint32_t) override {
        Result r;
        if (FaultHit("Update", &r))
            return r;
        StreamCore& c = *core_;
        if (!c.running)
            return kInvalidCall;
        double seconds = 0;
        c.pcm.clear();
        bool frame = c.decoder.NextFrame(&seconds, &c.pcm);
        c.started = true;
        c.sound.Push(c.pcm);
        if (!frame) {
            c.sound.Service();
            return c.decoder.Failed() ? kFail : kEndOfStream;
        }
        // The frame waits for its time on the platform clock, a second at
        // most: a damaged or jumping timestamp must not freeze the player,
        // who reads the keys once a frame. The clock moves on with it so the
        // frames after keep their spacing.
        const double frequency = double(PerformanceFrequency());
        int64_t now = PerformanceCounter();
        double wait = double(c.runStart) + seconds * frequency - double(now);
        if (!(wait <= frequency)) { // also a time that is not a number
            wait = frequency;
            double start = double(now) + wait - seconds * frequency;
            if (start > -9e18 && start < 9e18)
                c.runStart = int64_t(start);
        }
        int64_t due = now + (wait > 0 ? int64_t(wait) : 0);
        while (PerformanceCounter() < due) {
            c.sound.Service();
            platform::Sleep(1);
        }
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        r = surface_->Lock(&rect_, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
        if (r != kOk)
            return r;
        bool drawn = c.decoder.Draw(static_cast<uint8_t*>(desc.surface), desc.pitch,
                                    rect_.right - rect_.left, rect_.bottom - rect_.top,
                                    int(desc.pixelFormat.rgbBitCount));
        surface_->Unlock(&rect_);
        c.sound.Service();
        return drawn ? kOk : kFail;
    }

    Result GetSurface(Surface** out, Rect* clip) override {
        if (!out)
            return kInvalidParam;
        surface_->AddRef();
        *out = surface_;
        if (clip)
            *clip = rect_;
        return kOk;
    }

  private:
    std::shared_ptr<StreamCore> core_;
    Surface* surface_;
    Rect rect_;
};

class DirectDrawMediaStreamImpl final : public DirectDrawMediaStream {
  public:
    explicit DirectDrawMediaStreamImpl(std::shared_ptr<StreamCore> core) : core_(std::move(core)) {}

    Result GetFormat(SurfaceDesc* desc) override {
        Result r;
        if (FaultHit("GetFormat", &r))
            return r;
        if (!desc || desc->size != sizeof(SurfaceDesc))
            return kInvalidParam;
        if (!core_->open)
            return kInvalidCall;
        std::memset(desc, 0, sizeof(*desc));
        desc->size = sizeof(SurfaceDesc);
        desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc->width = uint32_t(core_->decoder.Width());
        desc->height = uint32_t(core_->decoder.Height());
        desc->caps = DDSCAPS_OFFSCREENPLAIN;
        return kOk;
    }

    Result CreateSample(Surface* surface, const Rect* rect, uint32_t,
                        DirectDrawStreamSample** out) override {
        if (out)
            *out = nullptr;
        Result r;
        if (FaultHit("CreateSample", &r))
            return r;
        if (!surface || !out)
            return kInvalidParam;
        if (!core_->open)
            return kInvalidCall;
        SurfaceDesc desc{};
        desc.size = sizeof(desc);
        r = surface->GetSurfaceDesc(&desc);
        if (r != kOk)
            return r;
        if (desc.pixelFormat.rgbBitCount != 16 && desc.pixelFormat.rgbBitCount != 32)
            return kUnsupported;
        Rect area = rect ? *rect : Rect{0, 0, core_->decoder.Width(), core_->decoder.Height()};
        if (area.left < 0 || area.top < 0 || area.left >= area.right || area.top >= area.bottom ||
            uint32_t(area.right) > desc.width || uint32_t(area.bottom) > desc.height)
            return kInvalidParam;
        *out = new SampleImpl(core_, surface, area);
        return kOk;
    }

  private:
    std::shared_ptr<StreamCore> core_;
};

class VideoStreamImpl final : public MediaStream {
  public:
    explicit VideoStreamImpl(std::shared_ptr<StreamCore> core) : core_(std::move(core)) {}

    Result QueryDirectDrawMediaStream(DirectDrawMediaStream** out) override {
        if (Result r = BeginQuery("QueryDirectDrawMediaStream", out); r != kOk)
            return r;
        *out = new DirectDrawMediaStreamImpl(core_);
        return kOk;
    }

  private:
    std::shared_ptr<StreamCore> core_;
};

class MultiMediaStreamImpl final : public MultiMediaStream {
  public:
    MultiMediaStreamImpl() : core_(std::make_shared<StreamCore>()) {}
    ~MultiMediaStreamImpl() override {
        core_->running = false;
        core_->sound.Stop();
    }

    Result Initialize(uint32_t streamType, uint32_t, FilterGraph* graph) override {
        Result r;
        if (FaultHit("Initialize", &r))
            return r;
        if (core_->initialized)
            return kInvalidCall;
        if (streamType != STREAMTYPE_READ || graph)
            return kUnsupported;
        core_->initialized = true;
        return kOk;
    }

    Result AddMediaStream(Display*, uint32_t purpose, uint32_t flags) override {
        Result r;
        if (FaultHit("AddMediaStream", &r))
            return r;
        if (!core_->initialized || core_->open)
            return kInvalidCall;
        if (purpose == MSPID_PrimaryVideo) {
            if (core_->video)
                return kInvalidCall;
            core_->video = true;
            return kOk;
        }
        if (purpose == MSPID_PrimaryAudio) {
            if (core_->audio)
                return kInvalidCall;
            if (!(flags & AMMSF_ADDDEFAULTRENDERER))
                return kUnsupported;
            core_->audio = true;
            return kOk;
        }
        return kInvalidParam;
    }

    Result OpenFile(const char* path, uint32_t) override {
        Result r;
        if (FaultHit("OpenFile", &r))
            return r;
        if (!path)
            return kInvalidParam;
        if (!core_->initialized || !core_->video || core_->open)
            return kInvalidCall;
        char native[4096];
        if (!ResolvePath(path, native, sizeof(native)))
            return kNotFound;
        r = core_->decoder.Open(native, core_->audio);
        if (r != kOk)
            return r;
        if (core_->decoder.HasAudio())
            core_->sound.Open(core_->decoder.AudioRate());
        core_->open = true;
        return kOk;
    }

    Result GetMediaStream(uint32_t purpose, MediaStream** out) override {
        if (Result r = BeginQuery("GetMediaStream", out); r != kOk)
            return r;
        if (purpose != MSPID_PrimaryVideo)
            return kUnsupported;
        if (!core_->video)
            return kNotFound;
        *out = new VideoStreamImpl(core_);
        return kOk;
    }

    Result GetFilterGraph(FilterGraph** out) override {
        if (Result r = BeginQuery("GetFilterGraph", out); r != kOk)
            return r;
        if (!core_->initialized)
            return kInvalidCall;
        *out = new FilterGraphImpl(core_);
        return kOk;
    }

    Result Seek(int64_t time) override {
        Result r;
        if (FaultHit("Seek", &r))
            return r;
        if (!core_->open)
            return kInvalidCall;
        if (time != 0)
            return kUnsupported;
        if (core_->started && !core_->decoder.Rewind())
            return kFail;
        core_->started = false;
        core_->stoppedAt = 0;
        core_->runStart = PerformanceCounter();
        core_->sound.Reset();
        return kOk;
    }

    Result SetState(uint32_t state) override {
        Result r;
        if (FaultHit("SetState", &r))
            return r;
        if (!core_->open)
            return kInvalidCall;
        StreamCore& c = *core_;
        if (state == STREAMSTATE_RUN) {
            if (!c.running) {
                c.runStart = PerformanceCounter() - c.stoppedAt;
                c.running = true;
                c.sound.Start();
            }
            return kOk;
        }
        if (state == STREAMSTATE_STOP) {
            if (c.running) {
                c.stoppedAt = PerformanceCounter() - c.runStart;
                c.running = false;
                c.sound.Stop();
            }
            return kOk;
        }
        return kInvalidParam;
    }

  private:
    std::shared_ptr<StreamCore> core_;
};

} // namespace

Result CreateMultiMediaStream(MultiMediaStream** out) {
    if (out)
        *out = nullptr;
    Result r;
    if (FaultHit("CreateMultiMediaStream", &r))
        return r;
    if (!out)
        return kInvalidParam;
    *out = new MultiMediaStreamImpl;
    return kOk;
}

Result QueryDirectDraw(Display* display, Display** out) {
    if (out)
        *out = nullptr;
    Result r;
    if (FaultHit("QueryDirectDraw", &r))
        return r;
    if (!display || !out)
        return kInvalidParam;
    display->AddRef();
    *out = display;
    return kOk;
}

} // namespace platform
