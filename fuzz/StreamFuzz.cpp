// The streamed music reader: a WAV file opened as the music service opens
// it, PCM read straight and ADPCM through the converter, the whole stream
// read, rewound and read again, then closed.
#include "engine/Globals.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Acm.h"
#include "soundfx/SoundFX.h"
#include "soundfx/SoundFXInternal.h"

#include <cstdlib>
#include <vector>

namespace {

// A bound on what one input may stream, so a huge declared size stays quick.
constexpr uint32_t kMaxBytes = 4u << 20;

void ReadStream(uint32_t step) {
    static std::vector<uint8_t> piece;
    piece.resize(step);
    for (uint32_t total = 0; total < kMaxBytes;) {
        uint32_t got = 0;
        if (!sonork::wavFileRead(step, piece.data(), &got) || got == 0)
            return;
        if (got > step)
            std::abort();
        total += got;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("stream");
    static bool ready = SoundFXInit(nullptr, &gErrorInfo, 2, 44100, 16) == 1;
    if (!ready || size < 1)
        return 0;
    // The first byte sets the read size, as the service asks for pieces of
    // its buffer; the rest is the file.
    uint32_t step = 1 + uint32_t(data[0]) * 97;
    fuzz::WriteFile("data/music.wav", data + 1, size - 1);
    gErrorInfo = ErrorInfo{};
    uint32_t formatSize = 0;
    platform::acmMetrics(nullptr, platform::ACM_METRIC_MAX_SIZE_FORMAT, &formatSize);
    sonork::gMaxFormatSize = formatSize;
    sonork::gSourceFormat = static_cast<uint8_t*>(std::calloc(1, formatSize));
    sonork::gTargetFormat = static_cast<uint8_t*>(std::calloc(1, formatSize));
    bool open = sonork::wavFileOpen("data\\music.wav") == 1;
    bool converting = open && sonork::gIsAdpcm;
    if (open && (!converting || sonork::wavConversionInit() == 1)) {
        ReadStream(step);
        if (sonork::wavFileReset() == 1)
            ReadStream(step);
    }
    if (open)
        sonork::wavFileClose();
    // Frees the formats and whatever the converter set up.
    sonork::wavConversionCleanup();
    sonork::gIsAdpcm = 0;
    gErrorInfo = ErrorInfo{};
    return 0;
}
