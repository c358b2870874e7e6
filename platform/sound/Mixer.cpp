// The sound device, its buffers and the one software mixer that plays them.
//
// All buffer state sits behind one lock that the output's thread takes for
// each block it renders; the game's calls take it briefly. Events are
// signalled from inside the render, as the hardware would signal them.
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "platform/Sync.h"
#include "platform/sound/MixSource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace platform {
namespace {

std::mutex gMixLock;

struct SampleMemory {
    std::vector<uint8_t> bytes; // what the mixer plays, under the mix lock
    // What Lock hands out: writes land here and reach `bytes` at Unlock, under
    // the mix lock, so the mixer thread never reads bytes being written.
    std::vector<uint8_t> staging;
    uint32_t locks = 0; // Locks not yet unlocked
};

struct DeviceState;
class BufferImpl;

// Every live buffer of every device, for the mixer and for LoseSoundBuffers.
std::vector<BufferImpl*> gBuffers;

struct DeviceState {
    OutputFormat format{22050, 2, 8}; // the primary format until it is set
    bool alive = true;                // the buffers of a released device go quiet
};

// The one output of the process, shared by every device and the CD player.
std::mutex gOutputLock;
SoundOutput* gOutput = nullptr;
int gOutputUsers = 0;
bool gFormatSet = false;
OutputFormat gWantedFormat{22050, 2, 8};
// Under the mix lock: what the running output takes, render scratch, and the
// sources besides the buffers.
OutputFormat gOutputFormat{};
std::vector<int32_t> gMix;
std::vector<MixSource*> gSources;

// Attenuation in hundredths of a decibel to a 16.16 gain; 0 is exact unity.
int32_t GainOf(int32_t attenuation) {
    if (attenuation <= DSBVOLUME_MIN)
        return 0;
    if (attenuation >= 0)
        return 65536;
    return static_cast<int32_t>(std::lround(65536.0 * std::pow(10.0, attenuation / 2000.0)));
}

class BufferImpl final : public SoundBuffer {
  public:
    BufferImpl(std::shared_ptr<DeviceState> device, uint32_t flags, const WaveFormat& format,
               std::shared_ptr<SampleMemory> memory)
        : device_(std::move(device)), flags_(flags), format_(format), memory_(std::move(memory)) {
        std::lock_guard<std::mutex> guard(gMixLock);
        gBuffers.push_back(this);
    }

    ~BufferImpl() override {
        std::lock_guard<std::mutex> guard(gMixLock);
        gBuffers.erase(std::find(gBuffers.begin(), gBuffers.end(), this));
    }

    bool Primary() const { return flags_ & DSBCAPS_PRIMARYBUFFER; }
    const std::shared_ptr<DeviceState>& Device() const { return device_; }

    // Called by the device (mix lock held).
    BufferImpl* MakeDuplicate() {
        auto* copy = new BufferImpl(device_, flags_, format_, memory_);
        copy->volume_ = volume_;
        copy->pan_ = pan_;
        copy->UpdateGains();
        return copy;
    }

    Result GetStatus(uint32_t* status) override {
        Result r;
        if (FaultHit("GetStatus", &r))
            return r;
        if (!status)
            return kInvalidParam;
        CatchUpSoundOutput();
        std::lock_guard<std::mutex> guard(gMixLock);
        *status = 0;
        if (playing_)
            *status |= DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0);
        if (lost_)
            *status |= DSBSTATUS_BUFFERLOST;
        return kOk;
    }

    Result GetFormat(WaveFormat* format) override {
        if (!format)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        if (Primary()) {
            const OutputFormat& f = device_->format;
            uint16_t align = static_cast<uint16_t>(f.channels * f.bits / 8);
            *format = {WAVE_FORMAT_PCM, f.channels, f.rate, f.rate * align, align, f.bits, 0};
        } else {
            *format = format_;
        }
        return kOk;
    }

    Result SetFormat(const WaveFormat* format) override;

    Result Play(uint32_t flags) override;

    Result Stop() override {
        Result r;
        if (FaultHit("Stop", &r))
            return r;
        CatchUpSoundOutput();
        std::lock_guard<std::mutex> guard(gMixLock);
        if (playing_) {
            playing_ = false;
            SignalStop();
        }
        return kOk;
    }

    Result GetCurrentPosition(uint32_t* play, uint32_t* write) override {
        std::lock_guard<std::mutex> guard(gMixLock);
        if (Primary())
            return kInvalidCall;
        uint32_t size = Size();
        if (play)
            *play = position_;
        if (write) {
            uint32_t lead = 0;
            if (playing_ && size) {
                // The mixer may already have taken about one block ahead.
                uint32_t align = format_.blockAlign;
                lead = std::min(size - align, (format_.samplesPerSec / 100 + 1) * align);
            }
            *write = size ? (position_ + lead) % size : 0;
        }
        return kOk;
    }

    Result SetCurrentPosition(uint32_t position) override {
        Result r;
        if (FaultHit("SetCurrentPosition", &r))
            return r;
        std::lock_guard<std::mutex> guard(gMixLock);
        if (Primary())
            return kInvalidCall;
        if (position >= Size())
            return kInvalidParam;
        position_ = position - position % format_.blockAlign;
        fraction_ = 0;
        return kOk;
    }

    Result Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                uint32_t* bytes2, uint32_t flags) override {
        Result r;
        if (FaultHit("Lock", &r))
            return r;
        if (!part1 || !bytes1)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        if (Primary())
            return kPrioLevelNeeded;
        if (lost_)
            return kBufferLost;
        uint32_t size = static_cast<uint32_t>(memory_->bytes.size());
        if (flags & DSBLOCK_FROMWRITECURSOR) {
            uint32_t write = position_;
            if (playing_) {
                uint32_t align = format_.blockAlign;
                write = (position_ +
                         std::min(size - align, (format_.samplesPerSec / 100 + 1) * align)) %
                        size;
            }
            offset = write;
        }
        if (flags & DSBLOCK_ENTIREBUFFER)
            bytes = size;
        if (offset >= size || bytes == 0 || bytes > size)
            return kInvalidParam;
        uint32_t first = std::min(bytes, size - offset);
        if (bytes > first && !part2)
            return kInvalidParam;
        // The caller may read what it locked, so the copy starts equal; a
        // second lock still open sees the first one's writes.
        std::vector<uint8_t>& staging = memory_->staging;
        if (memory_->locks++ == 0)
            staging = memory_->bytes;
        uint8_t* base = staging.data();
        *part1 = base + offset;
        *bytes1 = first;
        if (part2)
            *part2 = bytes > first ? base : nullptr;
        if (bytes2)
            *bytes2 = bytes - first;
        return kOk;
    }

    Result Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) override {
        Result r;
        if (FaultHit("Unlock", &r))
            return r;
        std::lock_guard<std::mutex> guard(gMixLock);
        if (!Inside(part1, bytes1) || (part2 && !Inside(part2, bytes2)))
            return kInvalidParam;
        // Lost while locked: the memory went with the hardware, and what was
        // written goes with it; the next Lock says so.
        if (lost_) {
            Unlocked();
            return kOk;
        }
        Commit(part1, bytes1);
        if (part2)
            Commit(part2, bytes2);
        Unlocked();
        return kOk;
    }

    Result SetVolume(int32_t volume) override {
        Result r;
        if (FaultHit("SetVolume", &r))
            return r;
        if (!(flags_ & DSBCAPS_CTRLVOLUME) && !Primary())
            return kUnsupported;
        if (volume > DSBVOLUME_MAX || volume < DSBVOLUME_MIN)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        volume_ = volume;
        UpdateGains();
        return kOk;
    }

    Result GetVolume(int32_t* volume) override {
        if (!volume)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        *volume = volume_;
        return kOk;
    }

    Result SetPan(int32_t pan) override {
        Result r;
        if (FaultHit("SetPan", &r))
            return r;
        if (!(flags_ & DSBCAPS_CTRLPAN) && !Primary())
            return kUnsupported;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        pan_ = pan;
        UpdateGains();
        return kOk;
    }

    Result GetPan(int32_t* pan) override {
        if (!pan)
            return kInvalidParam;
        std::lock_guard<std::mutex> guard(gMixLock);
        *pan = pan_;
        return kOk;
    }

    Result Restore() override {
        Result r;
        if (FaultHit("Restore", &r))
            return r;
        std::lock_guard<std::mutex> guard(gMixLock);
        lost_ = false;
        return kOk;
    }

    Result QueryNotify(SoundNotify** out) override;

    Result SetNotifications(uint32_t count, const PositionNotify* positions) {
        std::lock_guard<std::mutex> guard(gMixLock);
        if (playing_)
            return kInvalidCall;
        if (count && !positions)
            return kInvalidParam;
        for (uint32_t i = 0; i < count; ++i) {
            if (!positions[i].event)
                return kInvalidParam;
            if (positions[i].offset != DSBPN_OFFSETSTOP && positions[i].offset >= Size())
                return kInvalidParam;
        }
        notes_.assign(positions, positions + count);
        return kOk;
    }

    // The memory is gone with the hardware; what it held must be written again.
    void Lose() {
        if (Primary())
            return;
        lost_ = true;
        playing_ = false;
        uint8_t silence = format_.bitsPerSample == 8 ? 0x80 : 0;
        std::fill(memory_->bytes.begin(), memory_->bytes.end(), silence);
    }

    bool Audible() const { return !Primary() && playing_ && !lost_; }

    // Adds this buffer's next `frames` output frames into `mix` (mix lock held).
    void MixInto(int32_t* mix, uint32_t frames, const OutputFormat& out);

  private:
    uint32_t Size() const { return static_cast<uint32_t>(memory_->bytes.size()); }

    // Within the staging copy that Lock handed out.
    bool Inside(const void* p, uint32_t n) const {
        const std::vector<uint8_t>& staging = memory_->staging;
        if (staging.size() != Size())
            return false;
        const uint8_t* base = staging.data();
        const uint8_t* q = static_cast<const uint8_t*>(p);
        return q >= base && q <= base + Size() && n <= static_cast<uint32_t>(base + Size() - q);
    }

    // A buffer written once (an effect) gives its copy back; a stream keeps
    // it for the next refill.
    void Unlocked() {
        if (memory_->locks > 0 && --memory_->locks == 0 && notes_.empty())
            std::vector<uint8_t>().swap(memory_->staging);
    }

    void Commit(const void* p, uint32_t n) {
        size_t at = static_cast<const uint8_t*>(p) - memory_->staging.data();
        std::copy_n(memory_->staging.begin() + at, n, memory_->bytes.begin() + at);
    }

    void UpdateGains() {
        gainLeft_ = GainOf(volume_ - std::max(pan_, 0));
        gainRight_ = GainOf(volume_ + std::min(pan_, 0));
    }

    void SignalStop() {
        for (const PositionNotify& n : notes_)
            if (n.offset == DSBPN_OFFSETSTOP)
                SetEvent(n.event);
    }

    // One frame as left and right 16-bit values.
    void ReadFrame(uint32_t frame, int32_t* left, int32_t* right) const {
        const uint8_t* p = memory_->bytes.data() + size_t(frame) * format_.blockAlign;
        auto sample = [&](int index) -> int32_t {
            if (format_.bitsPerSample == 8)
                return (int32_t(p[index]) - 128) * 256;
            return int16_t(uint16_t(p[2 * index] | p[2 * index + 1] << 8));
        };
        *left = sample(0);
        *right = format_.channels == 2 ? sample(1) : *left;
    }

    std::shared_ptr<DeviceState> device_;
    uint32_t flags_;
    WaveFormat format_;
    std::shared_ptr<SampleMemory> memory_;
    uint32_t position_ = 0; // byte offset of the current frame
    uint32_t fraction_ = 0; // 16.16 part of the next frame already played
    bool playing_ = false;
    bool looping_ = false;
    bool lost_ = false;
    int32_t volume_ = 0;
    int32_t pan_ = 0;
    int32_t gainLeft_ = 65536;
    int32_t gainRight_ = 65536;
    std::vector<PositionNotify> notes_;
};

void BufferImpl::MixInto(int32_t* mix, uint32_t frames, const OutputFormat& out) {
    uint32_t align = format_.blockAlign;
    uint32_t total = Size() / align;
    if (total == 0) {
        playing_ = false;
        SignalStop();
        return;
    }
    uint32_t step = static_cast<uint32_t>((uint64_t(format_.samplesPerSec) << 16) / out.rate);
    uint32_t frame = position_ / align;
    for (uint32_t i = 0; i < frames; ++i) {
        int32_t left, right;
        ReadFrame(frame, &left, &right);
        if (fraction_) {
            uint32_t next = frame + 1 < total ? frame + 1 : (looping_ ? 0 : frame);
            int32_t left2, right2;
            ReadFrame(next, &left2, &right2);
            left += int32_t((int64_t(left2 - left) * fraction_) >> 16);
            right += int32_t((int64_t(right2 - right) * fraction_) >> 16);
        }
        left = int32_t((int64_t(left) * gainLeft_) >> 16);
        right = int32_t((int64_t(right) * gainRight_) >> 16);
        if (out.channels == 2) {
            mix[2 * i] += left;
            mix[2 * i + 1] += right;
        } else {
            mix[i] += (left + right) / 2;
        }

        fraction_ += step;
        uint32_t advance = fraction_ >> 16;
        fraction_ &= 0xFFFF;
        if (!advance)
            continue;
        uint64_t reached = uint64_t(frame) + advance;
        for (const PositionNotify& n : notes_) {
            if (n.offset == DSBPN_OFFSETSTOP)
                continue;
            uint64_t at = n.offset / align;
            if ((at >= frame && at < reached) || (reached > total && at < reached - total))
                SetEvent(n.event);
        }
        if (reached >= total) {
            if (!looping_) {
                // A sound played once ends at its start, ready to play again.
                playing_ = false;
                position_ = 0;
                fraction_ = 0;
                SignalStop();
                return;
            }
            reached %= total;
        }
        frame = static_cast<uint32_t>(reached);
    }
    position_ = frame * align;
}

class NotifyImpl final : public SoundNotify {
  public:
    explicit NotifyImpl(BufferImpl* buffer) : buffer_(buffer) { buffer_->AddRef(); }
    ~NotifyImpl() override { buffer_->Release(); }

    Result SetNotificationPositions(uint32_t count, const PositionNotify* positions) override {
        Result r;
        if (FaultHit("SetNotificationPositions", &r))
            return r;
        return buffer_->SetNotifications(count, positions);
    }

  private:
    BufferImpl* buffer_;
};

Result BufferImpl::QueryNotify(SoundNotify** out) {
    Result r;
    if (FaultHit("QueryNotify", &r))
        return r;
    if (!out)
        return kInvalidParam;
    *out = nullptr;
    if (!(flags_ & DSBCAPS_CTRLPOSITIONNOTIFY))
        return kUnsupported;
    *out = new NotifyImpl(this);
    return kOk;
}

bool ValidPcm(const WaveFormat& f) {
    return f.formatTag == WAVE_FORMAT_PCM && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= 100 &&
           f.samplesPerSec <= 200000 && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

class DeviceImpl;

// The devices alive, for the buffers that start their output.
std::mutex gDevicesLock;
std::vector<DeviceImpl*> gDevices;

class DeviceImpl final : public SoundDevice {
  public:
    DeviceImpl() : state_(std::make_shared<DeviceState>()) {
        JoinOutput();
        std::lock_guard<std::mutex> guard(gDevicesLock);
        gDevices.push_back(this);
    }

    ~DeviceImpl() override {
        {
            std::lock_guard<std::mutex> guard(gDevicesLock);
            gDevices.erase(std::find(gDevices.begin(), gDevices.end(), this));
        }
        {
            // Buffers still held elsewhere go quiet.
            std::lock_guard<std::mutex> guard(gMixLock);
            state_->alive = false;
        }
        LeaveOutput();
    }

    Result SetCooperativeLevel(Window*, uint32_t level) override {
        Result r;
        if (FaultHit("SetCooperativeLevel", &r))
            return r;
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
            return kInvalidParam;
        level_ = level;
        return kOk;
    }

    Result CreateSoundBuffer(const BufferDesc* desc, SoundBuffer** out) override {
        Result r;
        if (FaultHit("CreateSoundBuffer", &r))
            return r;
        if (!desc || !out)
            return kInvalidParam;
        *out = nullptr;
        if (desc->flags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->format || desc->bufferBytes)
                return kInvalidParam;
            *out =
                new BufferImpl(state_, desc->flags, WaveFormat{}, std::make_shared<SampleMemory>());
            return kOk;
        }
        if (!desc->format)
            return kInvalidParam;
        if (!ValidPcm(*desc->format))
            return kBadFormat;
        if (desc->bufferBytes < 4 || desc->bufferBytes > 0x0FFFFFFF)
            return kInvalidParam;
        auto memory = std::make_shared<SampleMemory>();
        try {
            memory->bytes.assign(desc->bufferBytes, desc->format->bitsPerSample == 8 ? 0x80 : 0);
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        }
        *out = new BufferImpl(state_, desc->flags, *desc->format, std::move(memory));
        return kOk;
    }

    Result DuplicateSoundBuffer(SoundBuffer* original, SoundBuffer** out) override {
        Result r;
        if (FaultHit("DuplicateSoundBuffer", &r))
            return r;
        if (!original || !out)
            return kInvalidParam;
        *out = nullptr;
        auto* source = static_cast<BufferImpl*>(original);
        if (source->Primary())
            return kInvalidCall;
        *out = source->MakeDuplicate();
        return kOk;
    }

    uint32_t Level() const { return level_; }

    std::shared_ptr<DeviceState> state_;

  private:
    uint32_t level_ = DSSCL_NORMAL;
};

DeviceImpl* DeviceOf(const std::shared_ptr<DeviceState>& state) {
    for (DeviceImpl* d : gDevices)
        if (d->state_ == state)
            return d;
    return nullptr;
}

void Render(void*, uint8_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> guard(gMixLock);
    const OutputFormat f = gOutputFormat;
    gMix.assign(size_t(frames) * f.channels, 0);
    for (BufferImpl* b : gBuffers)
        if (b->Device()->alive && b->Audible())
            b->MixInto(gMix.data(), frames, f);
    for (MixSource* source : gSources)
        source->MixInto(gMix.data(), frames, f);
    for (size_t i = 0; i < gMix.size(); ++i) {
        int32_t v = std::clamp(gMix[i], -32768, 32767);
        if (f.bits == 8) {
            out[i] = static_cast<uint8_t>((v >> 8) + 128);
        } else {
            out[2 * i] = static_cast<uint8_t>(v & 0xFF);
            out[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
        }
    }
}

// The output starts with the first buffer or source that plays, in the
// primary format of that moment; a new primary format restarts it.
void StartOutput(bool restart) {
    std::lock_guard<std::mutex> guard(gOutputLock);
    // Nobody left to end it: a buffer outliving its device stays quiet.
    if ((gOutput && !restart) || gOutputUsers == 0)
        return;
    delete gOutput;
    gOutput = nullptr;
    OutputFormat format = gFormatSet ? gWantedFormat : OutputFormat{44100, 2, 16};
    {
        std::lock_guard<std::mutex> mix(gMixLock);
        gOutputFormat = format;
    }
    const char* audio = std::getenv("VRASK_AUDIO");
    std::string choice = audio ? audio : "";
    if (choice.rfind("wav:", 0) == 0) {
        gOutput = OpenWavSoundOutput(choice.c_str() + 4, format, Render, nullptr);
        if (!gOutput)
            DebugPrintf("Sound: cannot write \"%s\", no sound output\n", choice.c_str() + 4);
    } else if (choice.empty() && !IsHeadless()) {
        gOutput = OpenSdlSoundOutput(format, Render, nullptr);
        if (!gOutput)
            OutputDebugString("Sound: no audio device available, playing without output\n");
    } else if (!choice.empty() && choice != "null") {
        DebugPrintf("Sound: unknown VRASK_AUDIO \"%s\", no sound output\n", choice.c_str());
    }
    // Without an output the buffers still play in time, so positions move
    // and notifications come.
    if (!gOutput)
        gOutput = OpenNullSoundOutput(format, Render, nullptr);
    if (!gOutput)
        OutputDebugString("Sound: no thread for the sound output, buffers stand still\n");
}

Result BufferImpl::SetFormat(const WaveFormat* format) {
    Result r;
    if (FaultHit("SetFormat", &r))
        return r;
    if (!Primary())
        return kInvalidCall;
    if (!format || !ValidPcm(*format))
        return kBadFormat;
    DeviceImpl* device;
    {
        std::lock_guard<std::mutex> guard(gDevicesLock);
        device = DeviceOf(device_);
    }
    if (!device)
        return kUninitialized;
    if (device->Level() < DSSCL_PRIORITY)
        return kPrioLevelNeeded;
    OutputFormat next{format->samplesPerSec, format->channels, format->bitsPerSample};
    {
        std::lock_guard<std::mutex> guard(gMixLock);
        device_->format = next;
    }
    bool changed, running;
    {
        std::lock_guard<std::mutex> output(gOutputLock);
        const OutputFormat& now = gWantedFormat;
        changed = !gFormatSet || next.rate != now.rate || next.channels != now.channels ||
                  next.bits != now.bits;
        gWantedFormat = next;
        gFormatSet = true;
        running = gOutput != nullptr;
    }
    if (changed && running)
        StartOutput(true);
    return kOk;
}

Result BufferImpl::Play(uint32_t flags) {
    Result r;
    if (FaultHit("Play", &r))
        return r;
    CatchUpSoundOutput(); // a sound started now is heard from now
    {
        std::lock_guard<std::mutex> guard(gMixLock);
        if (lost_)
            return kBufferLost;
        if (Primary() && !(flags & DSBPLAY_LOOPING))
            return kInvalidParam;
        if (!Primary() && Size() / format_.blockAlign == 0)
            return kInvalidCall;
        playing_ = true;
        looping_ = flags & DSBPLAY_LOOPING;
    }
    StartOutput(false);
    return kOk;
}

} // namespace

void JoinOutput() {
    std::lock_guard<std::mutex> guard(gOutputLock);
    ++gOutputUsers;
}

void LeaveOutput() {
    std::lock_guard<std::mutex> guard(gOutputLock);
    if (--gOutputUsers > 0)
        return;
    // The output's thread ends here.
    delete gOutput;
    gOutput = nullptr;
    gFormatSet = false;
}

void AddMixSource(MixSource* source) {
    std::lock_guard<std::mutex> guard(gMixLock);
    gSources.push_back(source);
}

void RemoveMixSource(MixSource* source) {
    std::lock_guard<std::mutex> guard(gMixLock);
    gSources.erase(std::remove(gSources.begin(), gSources.end(), source), gSources.end());
}

void StartSharedOutput() {
    StartOutput(false);
}

Result CreateSoundDevice(SoundDevice** out) {
    if (!out)
        return kInvalidParam;
    *out = nullptr;
    Result r;
    if (FaultHit("CreateSoundDevice", &r))
        return r;
    *out = new DeviceImpl;
    return kOk;
}

SoundDevice* AttachSoundDevice() {
    {
        std::lock_guard<std::mutex> guard(gDevicesLock);
        if (!gDevices.empty()) {
            gDevices.front()->AddRef();
            return gDevices.front();
        }
    }
    auto* device = new DeviceImpl;
    std::lock_guard<std::mutex> guard(gMixLock);
    device->state_->format = OutputFormat{44100, 2, 16};
    return device;
}

void LoseSoundBuffers() {
    std::lock_guard<std::mutex> guard(gMixLock);
    for (BufferImpl* b : gBuffers)
        b->Lose();
}

void MixNow(uint8_t* out, uint32_t frames) {
    Render(nullptr, out, frames);
}

} // namespace platform
