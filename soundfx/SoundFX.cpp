// The sound-effects library: the device and its primary buffer, the WAV
// cache with the duplicates handed out, and sprite sounds placed round the
// player.
#include "soundfx/SoundFX.h"
#include "soundfx/SoundFXInternal.h"

#include "platform/Debug.h"
#include "platform/MessageBox.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace platform;

namespace sonork {

ErrorInfo* gErrorRecord;
SoundDevice* gDevice;
uint16_t gMixChannels;
uint16_t gMixRate;
uint16_t gMixBits;

void Fail(const char* unit, const char* location, const char* message) {
    FillError(gErrorRecord, kErrorFatal, unit, location, message);
}

void Fail2(const char* unit, const char* location, const char* prefix, const char* name) {
    FillError2(gErrorRecord, kErrorFatal, unit, location, prefix, name);
}

int WavChunks::Fail(const char* message) {
    mmioClose(file, 0);
    sonork::Fail(unit, location, message);
    return 0;
}

int WavChunks::FindFormat() {
    riff.fccType = MakeFourCC('W', 'A', 'V', 'E');
    if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != 0)
        return Fail("Unable to find WAVE chunk in WAV file!");
    format.ckid = MakeFourCC('f', 'm', 't', ' ');
    if (mmioDescend(file, &format, &riff, MMIO_FINDCHUNK) != 0)
        return Fail("Unable to find fmt chunk in WAV file!");
    return 1;
}

int WavChunks::FindData() {
    if (mmioAscend(file, &format, 0) != 0)
        return Fail("Unable to ascend chunk in WAV file!");
    data.ckid = MakeFourCC('d', 'a', 't', 'a');
    if (mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != 0)
        return Fail("Unable to descend chunk in WAV file!");
    return 1;
}

} // namespace sonork

using namespace sonork;

namespace {

const char kUnit[] = "SoundFX";

Window* gWindow;
SoundBuffer* gPrimaryBuffer;
uint16_t gGlobalVolume;

struct CacheEntry {
    char fileName[kMaxFileName];
    SoundBuffer* buffer;
    CacheEntry* next;
};

struct DuplicateEntry {
    char fileName[kMaxFileName];
    SoundBuffer* buffer;
    DuplicateEntry* next;
};

CacheEntry* gCache;
DuplicateEntry* gDuplicates;

// ---- lists

SoundBuffer* CacheLookup(const char* fileName) {
    for (CacheEntry* e = gCache; e; e = e->next)
        if (std::strcmp(e->fileName, fileName) == 0)
            return e->buffer;
    return nullptr;
}

// Names reach the lists only after the length check, so they always fit.
void CacheAdd(const char* fileName, SoundBuffer* buffer) {
    auto* entry = static_cast<CacheEntry*>(std::calloc(1, sizeof(CacheEntry)));
    CopyField(entry->fileName, fileName);
    entry->buffer = buffer;
    CacheEntry** tail = &gCache;
    while (*tail)
        tail = &(*tail)->next;
    *tail = entry;
}

void DuplicateAdd(SoundBuffer* buffer, const char* fileName) {
    auto* entry = static_cast<DuplicateEntry*>(std::calloc(1, sizeof(DuplicateEntry)));
    CopyField(entry->fileName, fileName);
    entry->buffer = buffer;
    DuplicateEntry** tail = &gDuplicates;
    while (*tail)
        tail = &(*tail)->next;
    *tail = entry;
}

void CacheClear() {
    while (gCache) {
        CacheEntry* next = gCache->next;
        if (gCache->buffer)
            gCache->buffer->Release();
        std::free(gCache);
        gCache = next;
    }
}

// The duplicates belong to their callers; only the entries go.
void DuplicateClear() {
    while (gDuplicates) {
        DuplicateEntry* next = gDuplicates->next;
        std::free(gDuplicates);
        gDuplicates = next;
    }
}

// ---- WAV files

struct WavData {
    uint16_t channels;
    uint32_t samplesPerSec;
    uint8_t* samples;
    uint32_t bytes;
};

bool Accepted(uint32_t value, uint32_t mix) {
    return value == mix || value == mix / 2;
}

// Reads a sound-effect WAV whole (open to close). On failure the record is
// filled under `location` and nothing is left open or allocated.
int ReadWav(const char* fileName, const char* location, WavData* out) {
    MmioFile* file = mmioOpen(fileName, MMIO_ALLOCBUF | MMIO_READ);
    if (!file) {
        Fail2(kUnit, location, "Unable to open file: ", fileName);
        // The name may have been cut; the message still ends as it should.
        if (gErrorRecord) {
            size_t n = std::strlen(gErrorRecord->message);
            if (n + 1 < sizeof(gErrorRecord->message))
                std::strcat(gErrorRecord->message, "!");
        }
        return 0;
    }
    WavChunks wav{file, kUnit, location};
    if (!wav.FindFormat())
        return 0;
    // Eighteen bytes are read whatever the chunk's size; the last two (the
    // extra size) are never used, but the fields before them must be there.
    uint8_t record[18] = {};
    int32_t got = mmioRead(file, record, sizeof(record));
    if (got < 16 || wav.format.cksize < 16)
        return wav.Fail("Unable to read wav format information!");
    auto u16 = [&](int at) { return uint16_t(record[at] | record[at + 1] << 8); };
    uint16_t tag = u16(0);
    uint16_t channels = u16(2);
    uint32_t rate = u16(4) | uint32_t(u16(6)) << 16;
    uint16_t bits = u16(14);
    if (tag != WAVE_FORMAT_PCM)
        return wav.Fail("Wav file data is not PCM!");
    if (!Accepted(channels, gMixChannels))
        return wav.Fail("Wav file data has wrong number of channels!");
    if (!Accepted(rate, gMixRate))
        return wav.Fail("Wav file data is not correct sample rate!");
    if (bits != gMixBits)
        return wav.Fail("Wav file data is not correct bit width!");
    if (!wav.FindData())
        return 0;
    uint32_t bytes = wav.data.cksize;
    auto* samples = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
    if (!samples)
        return wav.Fail("Unable to allocate memory for WAV data!");
    if (mmioRead(file, samples, int32_t(bytes)) != int32_t(bytes)) {
        std::free(samples);
        return wav.Fail("Unable to read wav file data!");
    }
    if (mmioClose(file, 0) != 0) {
        std::free(samples);
        Fail(kUnit, location, "Unable to close WAV file!");
        return 0;
    }
    *out = {channels, rate, samples, bytes};
    return 1;
}

// Writes the samples at the buffer's write cursor, in one or two parts.
int WriteSamples(SoundBuffer* buffer, const WavData& wav, const char* location) {
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (buffer->Lock(0, wav.bytes, &part1, &bytes1, &part2, &bytes2, DSBLOCK_FROMWRITECURSOR) !=
        kOk) {
        Fail(kUnit, location, "Unable to lock secondary DSound buffer!");
        return 0;
    }
    std::memcpy(part1, wav.samples, bytes1);
    if (part2 && bytes2)
        std::memcpy(part2, wav.samples + bytes1, bytes2);
    if (buffer->Unlock(part1, bytes1, part2, bytes2) != kOk) {
        Fail(kUnit, location, "Unable to unlock secondary DSound buffer!");
        return 0;
    }
    return 1;
}

const char* CreateBufferMessage(Result r) {
    switch (r) {
    case kInvalidParam:
        return "Unable to create secondary DSound buffer: Invalid parm!";
    case kUnsupported:
        return "Unable to create secondary DSound buffer: Function not supported!";
    case kNoAggregation:
        return "Unable to create secondary DSound buffer: No aggregation!";
    case kOutOfMemory:
        return "Unable to create secondary DSound buffer: Out of memory!";
    case kAllocated:
        return "Unable to create secondary DSound buffer: resources unavailable!";
    case kBadFormat:
        return "Unable to create secondary DSound buffer: Specified wav format not supported!";
    case kUninitialized:
        return "Unable to create secondary DSound buffer: Not yet initialized!";
    default:
        return "Unable to create secondary DSound buffer: Unknown error!";
    }
}

const char* DuplicateMessage(Result r) {
    switch (r) {
    case kAllocated:
        return "Unable to duplicate DirectSound buffer: DSERR_ALLOCATED!";
    case kOutOfMemory:
        return "Unable to duplicate DirectSound buffer: DSERR_OUTOFMEMORY!";
    case kInvalidParam:
        return "Unable to duplicate DirectSound buffer: DSERR_INVALIDPARAM!";
    case kInvalidCall:
        return "Unable to duplicate DirectSound buffer: DSERR_INVALIDCALL!";
    case kUninitialized:
        return "Unable to duplicate DirectSound buffer: DSERR_UNINITIALIZED!";
    default:
        return "Unable to duplicate DirectSound buffer: unknown error!";
    }
}

SoundBuffer* GetBufferFromWav(const char* fileName) {
    static const char kLocation[] = "GetBufferFromWav()";
    WavData wav;
    if (!ReadWav(fileName, kLocation, &wav))
        return nullptr;
    uint16_t align = uint16_t(gMixBits / 8 * wav.channels);
    WaveFormat format{WAVE_FORMAT_PCM,
                      wav.channels,
                      wav.samplesPerSec,
                      align * wav.samplesPerSec,
                      align,
                      gMixBits,
                      0};
    BufferDesc desc{DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME,
                    wav.bytes, &format};
    SoundBuffer* buffer = nullptr;
    Result r = gDevice ? gDevice->CreateSoundBuffer(&desc, &buffer) : kUninitialized;
    if (r != kOk) {
        std::free(wav.samples);
        Fail(kUnit, kLocation, CreateBufferMessage(r));
        return nullptr;
    }
    int written = WriteSamples(buffer, wav, kLocation);
    std::free(wav.samples);
    if (!written) {
        // Nobody could ever fill it again; it goes at once.
        buffer->Release();
        return nullptr;
    }
    return buffer;
}

int ReloadBuffer(SoundBuffer* buffer, const char* fileName) {
    static const char kLocation[] = "ReloadBuffer()";
    WavData wav;
    if (!ReadWav(fileName, kLocation, &wav))
        return 0;
    int written = WriteSamples(buffer, wav, kLocation);
    std::free(wav.samples);
    return written;
}

int RestoreSound(SoundBuffer* buffer) {
    static const char kLocation[] = "RestoreSound()";
    DuplicateEntry* entry = gDuplicates;
    while (entry && entry->buffer != buffer)
        entry = entry->next;
    if (!entry) {
        Fail(kUnit, kLocation, "Unable to find duplicate sound buffer!");
        return 0;
    }
    SoundBuffer* cached = CacheLookup(entry->fileName);
    if (buffer->Restore() != kOk) {
        Fail(kUnit, kLocation, "Unable to restore duplicate sound buffer!");
        return 0;
    }
    if (!cached || cached->Restore() != kOk) {
        Fail(kUnit, kLocation, "Unable to restore original sound buffer!");
        return 0;
    }
    return ReloadBuffer(cached, entry->fileName);
}

bool NameFits(const char* fileName, const char* location) {
    if (std::strlen(fileName) < kMaxFileName)
        return true;
    Fail2(kUnit, location, "Unable to use a file name this long: ", fileName);
    return false;
}

const char* CreateDeviceReason(Result r) {
    switch (r) {
    case kAllocated:
        return " Resources unavailable!";
    case kNoDriver:
        return " No Driver!";
    case kInvalidParam:
        return " Invalid parm!";
    case kNoAggregation:
        return " No Aggregation!";
    case kOutOfMemory:
        return " Out of memory!";
    default:
        return " Unknown error!";
    }
}

} // namespace

extern "C" int32_t SoundFXInit(Window* window, ErrorInfo* record, uint16_t channels,
                               uint16_t samplesPerSecond, uint16_t bitsPerSample) {
    static const char kLocation[] = "SoundFXInit()";
    gWindow = window;
    gErrorRecord = record;
    gDevice = nullptr;
    gPrimaryBuffer = nullptr;
    gMixChannels = channels;
    gMixRate = samplesPerSecond;
    gMixBits = bitsPerSample;
    gGlobalVolume = 100;

    Result r;
    for (;;) {
        r = CreateSoundDevice(&gDevice);
        if (r != kAllocated)
            break;
        int answer =
            MessageBox(nullptr,
                       "The sound hardware is in use by another application\n\n"
                       "Select Retry to try and start the sound again or hit Cancel to exit",
                       "Vrask Engine Notification",
                       0x10000 /* set foreground */ | MB_ICONEXCLAMATION | MB_RETRYCANCEL);
        if (answer != IDRETRY)
            break;
    }
    if (r != kOk) {
        gDevice = nullptr;
        Fail2(kUnit, kLocation, "Unable to create DirectSound interface:", CreateDeviceReason(r));
        return 0;
    }
    if (gDevice->SetCooperativeLevel(gWindow, DSSCL_PRIORITY) != kOk) {
        Fail(kUnit, kLocation, "Unable to set DirectSound coop level!");
        return 0;
    }
    BufferDesc desc{DSBCAPS_PRIMARYBUFFER, 0, nullptr};
    if (gDevice->CreateSoundBuffer(&desc, &gPrimaryBuffer) != kOk) {
        gPrimaryBuffer = nullptr;
        Fail(kUnit, kLocation, "Unable to create primary DSound buffer!");
        return 0;
    }
    uint16_t align = uint16_t(gMixBits / 8 * gMixChannels);
    WaveFormat format{WAVE_FORMAT_PCM, gMixChannels, gMixRate, uint32_t(align) * gMixRate,
                      align,           gMixBits,     0};
    if (gPrimaryBuffer->SetFormat(&format) != kOk) {
        Fail(kUnit, kLocation, "Unable to set primary DSound buffer format!");
        return 0;
    }
    if (gPrimaryBuffer->Play(DSBPLAY_LOOPING) != kOk) {
        Fail(kUnit, kLocation, "Unable to play primary DSound buffer!");
        return 0;
    }
    return 1;
}

extern "C" int32_t SoundFXCleanup() {
    DuplicateClear();
    CacheClear();
    // The primary buffer goes with its device.
    if (gPrimaryBuffer) {
        gPrimaryBuffer->Release();
        gPrimaryBuffer = nullptr;
    }
    if (gDevice) {
        gDevice->Release();
        gDevice = nullptr;
    }
    return 1;
}

extern "C" int32_t SoundFXClearCache() {
    DuplicateClear();
    CacheClear();
    return 1;
}

extern "C" SoundBuffer* SoundFXGetBuffer(const char* fileName) {
    static const char kLocation[] = "SoundFXGetBuffer()";
    if (!fileName)
        fileName = "";
    if (!NameFits(fileName, kLocation))
        return nullptr;
    SoundBuffer* cached = CacheLookup(fileName);
    if (!cached) {
        cached = GetBufferFromWav(fileName);
        if (!cached)
            return nullptr;
        CacheAdd(fileName, cached);
    }
    SoundBuffer* duplicate = nullptr;
    Result r = gDevice ? gDevice->DuplicateSoundBuffer(cached, &duplicate) : kUninitialized;
    if (r != kOk) {
        Fail(kUnit, kLocation, DuplicateMessage(r));
        return nullptr;
    }
    DuplicateAdd(duplicate, fileName);
    return duplicate;
}

extern "C" SoundBuffer* SoundFXGetBufferNoCache(const char* fileName) {
    return GetBufferFromWav(fileName ? fileName : "");
}

extern "C" void SoundFXSetGlobalVolume(uint16_t volume) {
    gGlobalVolume = volume;
}

extern "C" uint16_t SoundFXGetGlobalVolume() {
    return gGlobalVolume;
}

extern "C" int32_t SoundFXGetVolume() {
    return 1;
}

extern "C" int32_t SoundFXPlaySpriteSound(Layer* layer, SpriteInstance* source, SoundBuffer* buffer,
                                          int32_t loop) {
    if (!buffer)
        return 0;
    if (gGlobalVolume == 0)
        return 1;
    // Without a player to hear it there is nowhere to place the sound.
    Sprite* player = layer ? layer->players.ptr : nullptr;
    SpriteInstance* listener = player ? player->instances.ptr : nullptr;
    if (!listener || !source) {
        OutputDebugString("SoundFXPlaySpriteSound: no player instance to hear the sound\n");
        return 1;
    }
    int64_t dx = int64_t(listener->x) - source->x;
    int64_t dy = int64_t(listener->y) - source->y;
    if (dx > 1500 || dx < -1500)
        return 1;
    int32_t pan = int32_t(-2 * dx);
    if (dy > 1500 || dy < -1500)
        return 1;
    int32_t distance = int32_t(std::sqrt(double(dx * dx + dy * dy)));
    int32_t band = distance / 212;
    int32_t volume = (10 - band) * (3 * int32_t(gGlobalVolume)) - 3000;

    if (buffer->SetPan(pan) != kOk)
        OutputDebugString("SetPan failed!\n");
    if (buffer->SetVolume(volume) != kOk)
        OutputDebugString("SetVolume failed!\n");
    Result r = buffer->Play(loop == 1 ? DSBPLAY_LOOPING : 0);
    if (r == kOk)
        return 1;
    if (r == kBufferLost) {
        OutputDebugString("DSERR_BUFFERLOST in SoundFXPlaySpriteSound\n");
        return RestoreSound(buffer);
    }
    Fail(kUnit, "SoundFXPlaySpriteSound()", "Unable to play sprite sound!");
    return 0;
}
