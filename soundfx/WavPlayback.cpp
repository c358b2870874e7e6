// Streamed music: one WAV file looping through a buffer of eight chunks that
// a service thread refills as each finishes playing. The game's thread talks
// to the service thread only through command and response events.
#include "soundfx/SoundFX.h"
#include "soundfx/SoundFXInternal.h"

#include "platform/Debug.h"
#include "platform/Sync.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

using namespace platform;

namespace sonork {
std::atomic<uint32_t> gServiceStallMs{0};
std::atomic<uint32_t> gRefillStallMs{0};
std::atomic<uint32_t> gAnswerMs{4000};
} // namespace sonork

namespace {
platform::SoundBuffer* gStreamBuffer;
}

platform::SoundBuffer* sonork::StreamBuffer() {
    return gStreamBuffer;
}

using namespace sonork;

namespace {

const char kUnit[] = "WavPlayback";
constexpr uint32_t kChunks = 8;
// PCM files are streamed in chunks of this many sample frames.
constexpr uint32_t kPcmChunkFrames = 4096;
// The system error code a wait on a missing event reports.
constexpr int kInvalidHandleCode = 6;
// Thread waits never come back abandoned here; the answer is kept for them.
constexpr uint32_t kWaitAbandoned = 0x80;

enum Command : uint32_t {
    kChunkPlayed = 0,
    kStopReached = 1,
    kPlayCommand = 2,
    kStopCommand = 3,
    kQuitCommand = 6,
    kCommandCount = 7
};
enum Response : uint32_t {
    kDoneResponse = 0,
    kStartedResponse = 1,
    kFailedResponse = 2,
    kReadFailedResponse = 3,
    kResponseCount = 4
};

// What one service thread works with. The thread holds it too, so a thread
// that answers late never touches the events, buffer or reader of a newer
// stream.
struct ServiceLink {
    Event* commands[kCommandCount] = {};
    Event* responses[kResponseCount] = {};
    SoundBuffer* buffer = nullptr;
    std::atomic<bool> quitting{false};
    // Held for a whole refill: the stop path takes it before it frees the
    // file and the converter a refill reads from.
    std::mutex refilling;
    bool readFailed = false; // service thread only
    ~ServiceLink() {
        // The buffer may outlive these events: it must not signal them after.
        if (buffer) {
            buffer->Stop();
            SoundNotify* notify = nullptr;
            if (buffer->QueryNotify(&notify) == kOk) {
                notify->SetNotificationPositions(0, nullptr);
                notify->Release();
            }
        }
        for (Event* e : commands)
            CloseEvent(e);
        for (Event* e : responses)
            CloseEvent(e);
        if (buffer)
            buffer->Release();
    }
};

SoundNotify* gStreamNotify;
uint32_t gChunkSize;
uint32_t gStreamBufferSize;
uint32_t gWriteOffset;
PositionNotify gPositions[kChunks + 1];
std::shared_ptr<ServiceLink> gLink;
Thread* gServiceThread;

uint8_t SilenceByte() {
    return gTargetFormat && gTargetFormat[14] == 8 ? 0x80 : 0;
}

int wavFillRegion(uint8_t* region, uint32_t length) {
    uint32_t got = 0;
    if (!wavFileRead(length, region, &got))
        return 0;
    if (got < length) {
        // The file ended: silence to the end of the region, then from the top.
        std::memset(region + got, SilenceByte(), length - got);
        wavFileReset();
    }
    return 1;
}

void wavRefillChunk(ServiceLink* link) {
    std::lock_guard<std::mutex> hold(link->refilling);
    if (link->quitting)
        return;
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (link->buffer->Lock(gWriteOffset, gChunkSize, &part1, &bytes1, &part2, &bytes2, 0) != kOk)
        return;
    if (gRefillStallMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(gRefillStallMs.load()));
    bool ok = wavFillRegion(static_cast<uint8_t*>(part1), bytes1);
    if (ok && part2 && bytes2)
        ok = wavFillRegion(static_cast<uint8_t*>(part2), bytes2);
    link->buffer->Unlock(part1, bytes1, part2, bytes2);
    gWriteOffset = (gWriteOffset + bytes1) % gStreamBufferSize;
    // The record says why; the next command's answer says that it happened.
    if (!ok)
        link->readFailed = true;
}

// Real time even on the virtual clock: it stands for a thread held up.
void Stall() {
    if (gServiceStallMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(gServiceStallMs.load()));
}

void Answer(ServiceLink* link, Result r) {
    Response response = r == kOk ? kDoneResponse : kFailedResponse;
    if (r == kOk && link->readFailed) {
        response = kReadFailedResponse;
        link->readFailed = false;
    }
    SetEvent(link->responses[response]);
}

uint32_t wavServiceThread(void* arg) {
    // The thread's own share of the link.
    std::unique_ptr<std::shared_ptr<ServiceLink>> hold(
        static_cast<std::shared_ptr<ServiceLink>*>(arg));
    ServiceLink* link = hold->get();
    SetEvent(link->responses[kStartedResponse]);
    for (;;) {
        uint32_t which = WaitForMultipleObjects(kCommandCount, link->commands, false, INFINITE);
        if (which == WAIT_FAILED)
            return 1;
        switch (which - WAIT_OBJECT_0) {
        case kChunkPlayed:
            wavRefillChunk(link);
            break;
        case kPlayCommand:
            Stall();
            Answer(link, link->buffer->Play(DSBPLAY_LOOPING));
            break;
        case kStopCommand:
            Stall();
            Answer(link, link->buffer->Stop());
            break;
        case kQuitCommand:
            return 0;
        default:
            break;
        }
    }
}

// Signals a command and waits for the service thread's answer.
int HandShake(Command command, const char* location) {
    // With no stream there are no events, and the wait fails as on a bad handle.
    uint32_t which = WAIT_FAILED;
    if (gLink) {
        SetEvent(gLink->commands[command]);
        which = WaitForMultipleObjects(kResponseCount, gLink->responses, false, gAnswerMs.load());
    }
    switch (which) {
    case WAIT_OBJECT_0 + kDoneResponse:
        return 1;
    case WAIT_OBJECT_0 + kFailedResponse:
        Fail(kUnit, location, "Problem with wav player thread!");
        return 0;
    case WAIT_OBJECT_0 + kReadFailedResponse:
        Fail(kUnit, location, "Problem reading wav data!");
        return 0;
    case WAIT_TIMEOUT:
        Fail(kUnit, location, "Player thread is unresponsive!");
        return 0;
    case WAIT_FAILED: {
        char text[64];
        std::snprintf(text, sizeof(text), "Wait failed!: %d", kInvalidHandleCode);
        Fail(kUnit, location, text);
        return 0;
    }
    default:
        return 0;
    }
}

int wavCreateStreamBuffer() {
    gChunkSize = gTargetChunkSize;
    gStreamBufferSize = kChunks * gChunkSize;
    gWriteOffset = 0;
    WaveFormat format{};
    const uint8_t* f = gTargetFormat;
    format.formatTag = uint16_t(f[0] | f[1] << 8);
    format.channels = uint16_t(f[2] | f[3] << 8);
    format.samplesPerSec = uint32_t(f[4] | f[5] << 8 | f[6] << 16 | uint32_t(f[7]) << 24);
    format.avgBytesPerSec = uint32_t(f[8] | f[9] << 8 | f[10] << 16 | uint32_t(f[11]) << 24);
    format.blockAlign = uint16_t(f[12] | f[13] << 8);
    format.bitsPerSample = uint16_t(f[14] | f[15] << 8);
    BufferDesc desc{DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_CTRLVOLUME |
                        DSBCAPS_CTRLPAN | DSBCAPS_LOCSOFTWARE,
                    gStreamBufferSize, &format};
    Result r = gDevice->CreateSoundBuffer(&desc, &gStreamBuffer);
    if (r != kOk) {
        gStreamBuffer = nullptr;
        static const struct {
            Result r;
            const char* text;
        } kMessages[] = {
            {kInvalidParam, "Unable to create secondary DSound buffer: Invalid parm!"},
            {kUnsupported, "Unable to create secondary DSound buffer: Function not supported!"},
            {kNoAggregation, "Unable to create secondary DSound buffer: No aggregation!"},
            {kOutOfMemory, "Unable to create secondary DSound buffer: Out of memory!"},
            {kAllocated, "Unable to create secondary DSound buffer: resources unavailable!"},
            {kBadFormat,
             "Unable to create secondary DSound buffer: Specified wav format not supported!"},
            {kUninitialized, "Unable to create secondary DSound buffer: Not yet initialized!"},
        };
        const char* text = "Unable to create secondary DSound buffer: Unknown error!";
        for (const auto& m : kMessages)
            if (m.r == r)
                text = m.text;
        Fail(kUnit, "wavCreateStreamBuffer()", text);
        return 0;
    }
    return 1;
}

int wavFillBuffer() {
    static const char kLocation[] = "wavFillBuffer()";
    if (!gStreamBuffer) {
        Fail(kUnit, kLocation, "Buffer is not valid!");
        return 0;
    }
    gWriteOffset = 0;
    wavFileReset();
    gStreamBuffer->SetCurrentPosition(0);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (gStreamBuffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, DSBLOCK_ENTIREBUFFER) != kOk) {
        Fail(kUnit, kLocation, "Unable to lock DS buffer!");
        return 0;
    }
    // Chunk by chunk, as the refills go: a file shorter than the buffer then
    // has the same gap of less than a chunk at every seam, the first included.
    auto* region = static_cast<uint8_t*>(part1);
    for (uint32_t at = 0; at < bytes1; at += gChunkSize) {
        uint32_t length = bytes1 - at < gChunkSize ? bytes1 - at : gChunkSize;
        if (!wavFillRegion(region + at, length)) {
            gStreamBuffer->Unlock(part1, bytes1, part2, bytes2);
            return 0;
        }
    }
    gStreamBuffer->Unlock(part1, bytes1, part2, bytes2);
    gWriteOffset = bytes1 % gStreamBufferSize;
    return 1;
}

void wavReleaseStreamBuffer() {
    if (gStreamNotify) {
        gStreamNotify->Release();
        gStreamNotify = nullptr;
    }
    if (gStreamBuffer) {
        gStreamBuffer->Release();
        gStreamBuffer = nullptr;
    }
    gChunkSize = gStreamBufferSize = gWriteOffset = 0;
}

int wavPlayBuffer() {
    static const char kLocation[] = "wavPlayBuffer()";
    auto link = std::make_shared<ServiceLink>();
    for (Event*& e : link->commands) {
        e = CreateEvent(false, false);
        if (!e) {
            Fail(kUnit, kLocation, "Unable to create thread sync command events!");
            return 0;
        }
    }
    for (Event*& e : link->responses) {
        e = CreateEvent(false, false);
        if (!e) {
            Fail(kUnit, kLocation, "Unable to create thread sync response events!");
            return 0;
        }
    }
    link->buffer = gStreamBuffer;
    gStreamBuffer->AddRef();
    gLink = link;
    auto* share = new std::shared_ptr<ServiceLink>(link);
    gServiceThread = CreateThread(wavServiceThread, share);
    if (!gServiceThread) {
        delete share;
        gLink.reset();
        Fail(kUnit, kLocation, "Unable to create service thread!");
        return 0;
    }
    if (WaitForSingleObject(link->responses[kStartedResponse], gAnswerMs.load()) == WAIT_TIMEOUT) {
        Fail(kUnit, kLocation, "Player thread is unresponsive!");
        return 0;
    }
    if (gStreamBuffer->QueryNotify(&gStreamNotify) != kOk) {
        gStreamNotify = nullptr;
        Fail(kUnit, kLocation, "Unable to obtain notification interface!");
        return 0;
    }
    for (uint32_t k = 1; k <= kChunks; ++k)
        gPositions[k - 1] = {k * gChunkSize - 1, link->commands[kChunkPlayed]};
    gPositions[kChunks] = {DSBPN_OFFSETSTOP, link->commands[kStopReached]};
    if (gStreamNotify->SetNotificationPositions(kChunks + 1, gPositions) != kOk) {
        Fail(kUnit, kLocation, "Unable to set DSound notifications!");
        return 0;
    }
    return HandShake(kPlayCommand, kLocation);
}

// Ends the service thread. The thread is told to quit even when the stop was
// not answered, so it never outlives the stream it serves.
int wavStopBuffer() {
    if (!gLink)
        return 1;
    int stopped = HandShake(kStopCommand, "wavPlayBuffer()");
    gLink->quitting = true;
    SetEvent(gLink->commands[kQuitCommand]);
    uint32_t ended = WaitForThread(gServiceThread, gAnswerMs.load());
    // A thread that did not end in time may be inside a refill: once this
    // lock is had, none runs and none will start, so what the stream reads
    // from can go.
    { std::lock_guard<std::mutex> wait(gLink->refilling); }
    CloseThread(gServiceThread);
    gServiceThread = nullptr;
    gLink.reset();
    if (!stopped)
        return 0;
    if (ended == kWaitAbandoned) {
        char text[64];
        std::snprintf(text, sizeof(text), "Wait abandoned!: %d", kInvalidHandleCode);
        Fail(kUnit, "wavStopBuffer()", text);
        return 0;
    }
    if (ended == WAIT_TIMEOUT) {
        Fail(kUnit, "wavStopBuffer()", "Player thread is unresponsive!");
        return 0;
    }
    return ended == WAIT_OBJECT_0;
}

// Takes down a stream, converter included. With keepGoing every step runs
// whatever the one before gave; otherwise the first failure ends it. A
// converter that would not close stays known, so it is never lost.
int StopStream(bool keepGoing) {
    if (!wavStopBuffer() && !keepGoing)
        return 0;
    wavReleaseStreamBuffer();
    if (!wavFileClose() && !keepGoing)
        return 0;
    if (gIsAdpcm) {
        if (!wavConversionCleanup())
            return 0;
        gIsAdpcm = 0;
    }
    return 1;
}

} // namespace

extern "C" int32_t SoundFXWavPlay(const char* fileName) {
    static const char kLocation[] = "SoundFXWavPlay()";
    if (!fileName || !*fileName) {
        OutputDebugString("SoundFXWavPlay:  No filename specified!");
        return 0;
    }
    if (!gDevice) {
        OutputDebugString("SoundFXWavPlay:  Initialize DSound first, you dummy!");
        return 0;
    }
    if (std::strlen(fileName) >= kMaxFileName) {
        Fail2(kUnit, kLocation, "Unable to use a file name this long: ", fileName);
        return 0;
    }
    // What an earlier stream left goes first, converter and all, whether it
    // still plays or failed half-way, so nothing of it is left behind.
    if (!StopStream(false))
        return 0;
    MMRESULT r = acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &gMaxFormatSize);
    if (r != MMSYSERR_NOERROR) {
        Fail2(kUnit, kLocation, "Unable to get ACM metrics: ", AcmReason("acmMetrics", r));
        return 0;
    }
    // Blocks a PCM stream left behind are replaced here.
    std::free(gSourceFormat);
    std::free(gTargetFormat);
    gTargetFormat = nullptr;
    gSourceFormat = static_cast<uint8_t*>(std::calloc(1, gMaxFormatSize));
    if (!gSourceFormat) {
        Fail(kUnit, kLocation, "Unable to allocate memory for source wave format structure!");
        return 0;
    }
    gTargetFormat = static_cast<uint8_t*>(std::calloc(1, gMaxFormatSize));
    if (!gTargetFormat) {
        Fail(kUnit, kLocation, "Unable to allocate memory for destination wave format structure!");
        return 0;
    }
    if (!wavFileOpen(fileName))
        return 0;
    if (gIsAdpcm) {
        if (!wavConversionInit())
            return 0;
    } else {
        uint32_t align = uint32_t(gTargetFormat[12] | gTargetFormat[13] << 8);
        gTargetChunkSize = kPcmChunkFrames * (align ? align : 1);
    }
    if (!wavCreateStreamBuffer())
        return 0;
    if (!wavFillBuffer())
        return 0;
    if (!wavPlayBuffer()) {
        wavStopBuffer();
        wavReleaseStreamBuffer();
        wavFileClose();
        return 0;
    }
    return 1;
}

extern "C" int32_t SoundFXWavStop() {
    StopStream(true);
    return 1;
}

extern "C" int32_t SoundFXWavPause() {
    return HandShake(kStopCommand, "wavPlayBuffer()");
}

extern "C" int32_t SoundFXWavResume() {
    return HandShake(kPlayCommand, "SoundFXWavResume()");
}

extern "C" int32_t SoundFXWavSetVolume(uint16_t volume) {
    if (!gStreamBuffer)
        return 1;
    if (volume > 100) {
        FillError(gErrorRecord, kErrorWarning, kUnit, "SoundFXWavSetVolume()",
                  "Invalid volume specified (must be between 0 and 100)!");
        return 0;
    }
    int32_t attenuation = volume == 0 ? DSBVOLUME_MIN : (int32_t(volume) - 100) * 30;
    gStreamBuffer->SetVolume(attenuation);
    return 1;
}
